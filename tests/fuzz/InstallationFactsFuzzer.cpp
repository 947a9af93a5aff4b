// Fuzz target: the facts read from a Java installation's untrusted files, the header of its VM
// library (PE or ELF) and its release file. Any bytes must give an answer, never a crash or an
// exception; the answers are checked against what the readers promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "jvm/InstallationFacts.h"

namespace {

// The library reader sees at most its first kilobyte; the header's offsets may point anywhere.
void checkLibraryHeader(const std::string& bytes) {
    const VmMachine machine = machineOfLibraryHeader(bytes);
    const bool known = machine.cpu != Cpu::Unknown;
    if (known && machine.damaged) std::abort();
    if ((machine.cpu == Cpu::X86 && machine.bits != 32) || ((machine.cpu == Cpu::X64 || machine.cpu == Cpu::Arm64) && machine.bits != 64)) {
        std::abort();
    }
    // Only bytes that start as a PE or ELF file can name a machine or be damaged.
    const bool headerLike = bytes.rfind("MZ", 0) == 0 || bytes.rfind("\x7f" "ELF", 0) == 0;
    if ((known || machine.damaged) && !headerLike) std::abort();
    if (machine.damaged && !machineRefusal(machine, launcherMachine())) std::abort();
}

// A version, when found, is a non-empty text, and a byte-order mark before the file changes nothing.
void checkReleaseFile(const std::string& bytes) {
    const std::optional<std::wstring> version = releaseJavaVersion(bytes);
    if (version && version->empty()) std::abort();
    if (bytes.rfind("\xEF\xBB\xBF", 0) != 0 && releaseJavaVersion("\xEF\xBB\xBF" + bytes) != version) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkLibraryHeader(bytes);
    checkReleaseFile(bytes);
    return 0;
}
