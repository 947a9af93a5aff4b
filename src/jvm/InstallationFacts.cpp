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

// A release file names JAVA_VERSION within its first lines; a PE file its machine within its
// first kilobyte (after the DOS stub), an ELF file within its first 20 bytes.
constexpr std::size_t kReleaseHeadBytes = 4096;
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

VmMachine peMachine(const std::string& head) {
    const std::optional<std::uint32_t> peOffset = readNumber(head, 0x3C, 4);
    if (!peOffset || head.compare(*peOffset, 4, std::string("PE\0\0", 4)) != 0) return {};
    const std::optional<std::uint32_t> machine = readNumber(head, *peOffset + 4, 2);
    if (!machine) return {};
    if (*machine == 0x014C) return {Cpu::X86, 32};
    if (*machine == 0x8664) return {Cpu::X64, 64};
    if (*machine == 0xAA64) return {Cpu::Arm64, 64};
    // The optional header's magic tells the width of any other machine's code.
    const std::optional<std::uint32_t> magic = readNumber(head, *peOffset + 24, 2);
    return {Cpu::Other, magic == 0x20B ? 64u : magic == 0x10B ? 32u : 0u};
}

VmMachine elfMachine(const std::string& head) {
    const unsigned bits = head[4] == 1 ? 32 : head[4] == 2 ? 64 : 0;
    const std::optional<std::uint32_t> machine = readNumber(head, 18, 2, head[5] == 2);
    if (!machine) return {};
    if (*machine == 3) return {Cpu::X86, 32};
    if (*machine == 62) return {Cpu::X64, 64};
    if (*machine == 183) return {Cpu::Arm64, 64};
    return {Cpu::Other, bits};
}

std::wstring homeFile(const std::wstring& javaHome, const std::wstring& relative) {
    return javaHome + platform::kPathSeparator + relative;
}

}  // namespace

VmMachine machineOfLibraryHeader(const std::string& head) {
    if (head.compare(0, 2, "MZ") == 0) return peMachine(head);
    if (head.size() >= 20 && head.compare(0, 4, "\x7f" "ELF") == 0) return elfMachine(head);
    return {};
}

VmMachine machineOfLibrary(const std::wstring& path) {
    const std::optional<std::string> head = platform::readFileHead(path, kLibraryHeadBytes);
    return head ? machineOfLibraryHeader(*head) : VmMachine{};
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
    if (vm.cpu == Cpu::Unknown || (vm.cpu == launcher.cpu && vm.cpu != Cpu::Other)) return std::nullopt;
    if (vm.bits != 0 && vm.bits != launcher.bits) {
        return L"a " + toDecimal(vm.bits) + L"-bit VM for this " + toDecimal(launcher.bits) + L"-bit launcher";
    }
    return std::wstring(L"a VM for another processor than this launcher's");
}

std::optional<std::wstring> releaseJavaVersion(const std::string& releaseText) {
    const std::string prefix = "JAVA_VERSION=\"";
    std::size_t start = 0;
    while (start < releaseText.size()) {
        std::size_t end = releaseText.find('\n', start);
        if (end == std::string::npos) end = releaseText.size();
        std::string line = releaseText.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > prefix.size() + 1 && line.compare(0, prefix.size(), prefix) == 0 && line.back() == '"') {
            return fromUtf8(line.substr(prefix.size(), line.size() - prefix.size() - 1));
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> installedJavaVersion(const std::wstring& javaHome) {
    const std::optional<std::string> head = platform::readFileHead(homeFile(javaHome, L"release"), kReleaseHeadBytes);
    if (!head) return std::nullopt;
    return releaseJavaVersion(*head);
}

bool hasReleaseFile(const std::wstring& javaHome) {
    return fileExists(homeFile(javaHome, L"release"));
}

bool hasJavaCompiler(const std::wstring& javaHome) {
    return fileExists(homeFile(javaHome, std::wstring(L"bin") + platform::kPathSeparator + platform::kJavacName));
}
