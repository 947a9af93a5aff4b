// Reading a Java installation's facts from its release file, its bin folder and the header of
// its VM library.
#include "jvm/InstallationFacts.h"

#include <cstdint>

#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"
#include "util/Files.h"
#include "util/Text.h"

namespace {

// A release file is a few kilobytes of KEY="value" lines; a PE file names its machine within its
// first kilobyte (after the DOS stub), an ELF file within its first 20 bytes.
constexpr std::size_t kReleaseHeadBytes = 64 * 1024;
constexpr std::size_t kLibraryHeadBytes = 1024;

// The little-endian (or big-endian) number of `size` bytes at `offset`; empty when out of range.
std::optional<std::uint32_t> readNumber(const std::string& bytes, std::size_t offset, std::size_t size, bool bigEndian = false) {
    if (offset > bytes.size() || bytes.size() - offset < size) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t index = offset + (bigEndian ? i : size - 1 - i);
        value = (value << 8) | static_cast<unsigned char>(bytes[index]);
    }
    return value;
}

// Whether `bytes` hold `expected` at `offset`, all of it within their size.
bool holdsAt(const std::string& bytes, std::size_t offset, const std::string& expected) {
    return offset <= bytes.size() && bytes.size() - offset >= expected.size() && bytes.compare(offset, expected.size(), expected) == 0;
}

constexpr VmMachine kDamaged{Cpu::Unknown, 0, true};

VmMachine peMachine(const std::string& head) {
    // The offset is the file's own word: a stub or a cut file points anywhere.
    const std::optional<std::uint32_t> peOffset = readNumber(head, 0x3C, 4);
    if (!peOffset || !holdsAt(head, *peOffset, std::string("PE\0\0", 4))) return kDamaged;
    const std::optional<std::uint32_t> machine = readNumber(head, std::size_t{*peOffset} + 4, 2);
    if (!machine) return kDamaged;
    if (*machine == 0x014C) return {Cpu::X86, 32};
    if (*machine == 0x8664) return {Cpu::X64, 64};
    if (*machine == 0xAA64) return {Cpu::Arm64, 64};
    // The optional header's magic tells the width of any other machine's code.
    const std::optional<std::uint32_t> magic = readNumber(head, std::size_t{*peOffset} + 24, 2);
    return {Cpu::Other, magic == 0x20B ? 64u : magic == 0x10B ? 32u : 0u};
}

VmMachine elfMachine(const std::string& head) {
    if (head.size() < 20) return kDamaged;
    const unsigned bits = head[4] == 1 ? 32 : head[4] == 2 ? 64 : 0;
    const std::optional<std::uint32_t> machine = readNumber(head, 18, 2, head[5] == 2);
    if (!machine) return kDamaged;
    if (*machine == 3) return {Cpu::X86, 32};
    if (*machine == 62) return {Cpu::X64, 64};
    if (*machine == 183) return {Cpu::Arm64, 64};
    return {Cpu::Other, bits};
}

std::wstring homeFile(const std::wstring& javaHome, const std::wstring& relative) {
    return javaHome + platform::kPathSeparator + relative;
}

// The release file that describes `javaHome`: its own, else, for the "jre" folder of a Java 8
// development kit (a common JAVA_HOME), which has none, the kit's.
std::wstring releaseFileOf(const std::wstring& javaHome) {
    const std::wstring own = homeFile(javaHome, L"release");
    const std::wstring home = withoutTrailingSeparators(javaHome);
    const std::size_t nameStart = home.find_last_of(platform::kPathSeparators);
    if (nameStart == std::wstring::npos || fileExists(own)) return own;
    const std::wstring name = home.substr(nameStart + 1);
    const bool isJreFolder = platform::kCaseInsensitivePaths ? toLowerAscii(name) == L"jre" : name == L"jre";
    return isJreFolder ? homeFile(home.substr(0, nameStart), L"release") : own;
}

// `text` without the blanks (and stray CRs) at its ends.
std::string withoutBlanks(const std::string& text) {
    const char* const blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The quoted value of the line "JAVA_VERSION = "..."", blanks allowed; empty for any other line.
std::optional<std::wstring> javaVersionOfLine(const std::string& line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || withoutBlanks(line.substr(0, equals)) != "JAVA_VERSION") return std::nullopt;
    const std::string value = withoutBlanks(line.substr(equals + 1));
    if (value.size() < 3 || value.front() != '"' || value.back() != '"') return std::nullopt;
    return fromUtf8(value.substr(1, value.size() - 2));
}

}  // namespace

VmMachine machineOfLibraryHeader(const std::string& head) {
    if (holdsAt(head, 0, "MZ")) return peMachine(head);
    if (holdsAt(head, 0, "\x7f" "ELF")) return elfMachine(head);
    return {};
}

VmMachine machineOfLibrary(const std::wstring& path) {
    const std::optional<std::string> head = platform::readFileHead(path, kLibraryHeadBytes);
    return head ? machineOfLibraryHeader(*head) : kDamaged;
}

VmMachine launcherMachine() {
    constexpr unsigned bits = sizeof(void*) * 8;
#if defined(__x86_64__) || defined(_M_X64)
    return {Cpu::X64, bits};
#elif defined(__i386__) || defined(_M_IX86)
    return {Cpu::X86, bits};
#elif defined(__aarch64__) || defined(_M_ARM64)
    return {Cpu::Arm64, bits};
#else
    return {Cpu::Other, bits};
#endif
}

std::optional<std::wstring> machineRefusal(const VmMachine& vm, const VmMachine& launcher) {
    if (vm.damaged) return std::wstring(L"VM library damaged or unreadable");
    if (vm.cpu == Cpu::Unknown || (vm.cpu == launcher.cpu && vm.cpu != Cpu::Other)) return std::nullopt;
    if (vm.bits != 0 && vm.bits != launcher.bits) {
        return L"a " + toDecimal(vm.bits) + L"-bit VM for this " + toDecimal(launcher.bits) + L"-bit launcher";
    }
    return std::wstring(L"a VM for another processor than this launcher's");
}

std::optional<std::wstring> releaseJavaVersion(const std::string& releaseText) {
    const std::string bom = "\xEF\xBB\xBF";
    std::size_t start = holdsAt(releaseText, 0, bom) ? bom.size() : 0;
    while (start < releaseText.size()) {
        std::size_t end = releaseText.find('\n', start);
        if (end == std::string::npos) end = releaseText.size();
        if (std::optional<std::wstring> version = javaVersionOfLine(releaseText.substr(start, end - start))) return version;
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::wstring> installedJavaVersion(const std::wstring& javaHome) {
    const std::optional<std::string> head = platform::readFileHead(releaseFileOf(javaHome), kReleaseHeadBytes);
    if (!head) return std::nullopt;
    return releaseJavaVersion(*head);
}

bool hasReleaseFile(const std::wstring& javaHome) {
    return fileExists(releaseFileOf(javaHome));
}

bool hasJavaCompiler(const std::wstring& javaHome) {
    return fileExists(homeFile(javaHome, std::wstring(L"bin") + platform::kPathSeparator + platform::kJavacName));
}
