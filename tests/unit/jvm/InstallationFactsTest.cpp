// Facts read from a Java installation: release files, VM library headers, the launcher's machine.
#include <gtest/gtest.h>

#include <string>

#include "jvm/InstallationFacts.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"

namespace {

// The first bytes of a PE file whose header (at 0x80) names `machine`, with the optional
// header's `magic`.
std::string peHeader(unsigned machine, unsigned magic) {
    std::string bytes(0x80 + 26, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = '\x80';
    bytes.replace(0x80, 4, std::string("PE\0\0", 4));
    bytes[0x84] = static_cast<char>(machine & 0xFF);
    bytes[0x85] = static_cast<char>(machine >> 8);
    bytes[0x80 + 24] = static_cast<char>(magic & 0xFF);
    bytes[0x80 + 25] = static_cast<char>(magic >> 8);
    return bytes;
}

// A 64-byte DOS stub whose PE header offset points past the bytes read, as a cut download has.
std::string peStub() {
    std::string bytes = peHeader(0x8664, 0x20B).substr(0, 64);
    bytes[0x3D] = '\x7f';
    return bytes;
}

// The first 20 bytes of an ELF file of class `elfClass` (1: 32-bit, 2: 64-bit) naming `machine`.
std::string elfHeader(char elfClass, unsigned machine, bool bigEndian = false) {
    std::string bytes = std::string("\x7f" "ELF", 4) + elfClass + (bigEndian ? '\2' : '\1') + std::string(14, '\0');
    bytes[bigEndian ? 19 : 18] = static_cast<char>(machine & 0xFF);
    bytes[bigEndian ? 18 : 19] = static_cast<char>(machine >> 8);
    return bytes;
}

TEST(InstallationFacts, ReadTheMachineOfPeAndElfLibraries) {
    const struct {
        const char* name;
        std::string head;
        Cpu cpu;
        unsigned bits;
        bool damaged = false;
    } cases[] = {
        {"PE x86", peHeader(0x014C, 0x10B), Cpu::X86, 32},
        {"PE x64", peHeader(0x8664, 0x20B), Cpu::X64, 64},
        {"PE ARM64", peHeader(0xAA64, 0x20B), Cpu::Arm64, 64},
        {"PE other 32-bit", peHeader(0x01C4, 0x10B), Cpu::Other, 32},
        {"ELF i386", elfHeader(1, 3), Cpu::X86, 32},
        {"ELF x86-64", elfHeader(2, 62), Cpu::X64, 64},
        {"ELF AArch64", elfHeader(2, 183), Cpu::Arm64, 64},
        {"ELF big-endian 64-bit", elfHeader(2, 22, true), Cpu::Other, 64},
        {"PE without its signature", peHeader(0x8664, 0x20B).replace(0x80, 2, "XX"), Cpu::Unknown, 0, true},
        {"PE cut short", peHeader(0x8664, 0x20B).substr(0, 0x84), Cpu::Unknown, 0, true},
        {"PE offset past the bytes", peStub(), Cpu::Unknown, 0, true},
        {"PE offset past 32 bits", peStub().replace(0x3C, 4, "\xfe\xff\xff\xff"), Cpu::Unknown, 0, true},
        {"MZ alone", "MZ", Cpu::Unknown, 0, true},
        {"ELF cut short", elfHeader(2, 62).substr(0, 18), Cpu::Unknown, 0, true},
        {"empty file", "", Cpu::Unknown, 0},
        {"text file", "not a library", Cpu::Unknown, 0},
    };
    for (const auto& c : cases) {
        const VmMachine machine = machineOfLibraryHeader(c.head);
        EXPECT_EQ(machine.cpu, c.cpu) << c.name;
        EXPECT_EQ(machine.bits, c.bits) << c.name;
        EXPECT_EQ(machine.damaged, c.damaged) << c.name;
    }
}

TEST(InstallationFacts, RefuseOnlyALibraryOfAnotherKnownMachine) {
    const VmMachine x86{Cpu::X86, 32};
    const VmMachine x64{Cpu::X64, 64};
    const VmMachine arm64{Cpu::Arm64, 64};
    EXPECT_EQ(toUtf8(machineRefusal(x64, x86).value_or(L"")), "a 64-bit VM for this 32-bit launcher");
    EXPECT_EQ(toUtf8(machineRefusal(x86, x64).value_or(L"")), "a 32-bit VM for this 64-bit launcher");
    EXPECT_EQ(toUtf8(machineRefusal(arm64, x64).value_or(L"")), "a VM for another processor than this launcher's");
    EXPECT_FALSE(machineRefusal(x64, x64));
    EXPECT_FALSE(machineRefusal(VmMachine{}, x86));
    EXPECT_EQ(toUtf8(machineRefusal(VmMachine{Cpu::Unknown, 0, true}, x64).value_or(L"")), "VM library damaged or unreadable");
    EXPECT_EQ(launcherMachine().bits, sizeof(void*) * 8);
}

TEST(InstallationFacts, ReadJavaVersionOfEveryReleaseFileShape) {
    const struct {
        const char* text;
        const wchar_t* version;  // null: none
    } cases[] = {
        {"JAVA_VERSION=\"1.8.0_402\"\nOS_NAME=\"Windows\"\n", L"1.8.0_402"},
        {"IMPLEMENTOR=\"Eclipse Adoptium\"\r\nJAVA_RUNTIME_VERSION=\"17.0.9+9\"\r\nJAVA_VERSION=\"17.0.9\"\r\n", L"17.0.9"},
        {"JAVA_VERSION=\"21\"", L"21"},
        {"JAVA_VERSION_DATE=\"2023-10-17\"\nJAVA_VERSION=\"21.0.1\"\n", L"21.0.1"},
        {"\xEF\xBB\xBFJAVA_VERSION=\"21\"\n", L"21"},
        {"JAVA_VERSION = \"21.0.2\"\n", L"21.0.2"},
        {"  JAVA_VERSION=\"17.0.1\"  \t\n", L"17.0.1"},
        {"OS_NAME=\"Windows\"\r\r\nJAVA_VERSION=\"11.0.22\"\r\r\n", L"11.0.22"},
        {"JAVA_VERSION_DATE = \"2024\"\n\tJAVA_VERSION\t=\t\"22\"\r\n", L"22"},
        {"JAVA_VERSION=17\n", nullptr},
        {"JAVA_VERSION=\"17\n", nullptr},
        {"JAVA_VERSION=\"\"\n", nullptr},
        {"MODULES=\"java.base\"\n", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::wstring> version = releaseJavaVersion(c.text);
        EXPECT_EQ(toUtf8(version.value_or(L"(none)")), toUtf8(c.version ? c.version : L"(none)")) << c.text;
    }
}

TEST(InstallationFacts, ReadTheReleaseFileOfAJava8KitForItsJreFolder) {
    const TempDir dir;
    dir.writeFile(L"jdk8/release", "JAVA_VERSION=\"1.8.0_402\"\n");
    dir.writeFile(L"jdk8/jre/lib/rt.jar", "");
    dir.writeFile(L"other/jre/lib/rt.jar", "");
    dir.writeFile(L"jdk8/lib/tools.jar", "");
    EXPECT_EQ(toUtf8(installedJavaVersion(dir / L"jdk8/jre").value_or(L"(none)")), "1.8.0_402");
    EXPECT_EQ(toUtf8(installedJavaVersion(dir / L"jdk8/jre/").value_or(L"(none)")), "1.8.0_402");
    EXPECT_TRUE(hasReleaseFile(dir / L"jdk8/jre"));
    // Only a folder named "jre" borrows its parent's.
    EXPECT_FALSE(installedJavaVersion(dir / L"jdk8/lib"));
    EXPECT_FALSE(installedJavaVersion(dir / L"other/jre"));
    EXPECT_FALSE(hasReleaseFile(dir / L"other/jre"));
}

}  // namespace
