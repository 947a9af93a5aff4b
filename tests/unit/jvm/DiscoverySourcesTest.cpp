// The sources of installed Javas on Linux besides the registry view of /usr/lib/jvm: JAVA_HOME and
// the install folders, the layouts of every Java generation, and the refusals that explain an
// empty choice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FakeInstallations.h"
#include "jvm/JVMSelector.h"
#include "platform/TextEncoding.h"
#include "support/ReportedFailure.h"

namespace {

using jvmtest::FakeInstallations;

// "<bundle> <version> <VM library>" of each candidate after the separation, with the fake
// folders shown as REG and HOME.
std::vector<std::string> located(const FakeInstallations& installations) {
    const JVMSelector selector{VmChoiceSettings{}};
    std::vector<JVM> jvms;
    selector.locateJvms(jvms);
    selector.separateClientAndServerJvms(jvms);
    std::vector<std::string> lines;
    for (const JVM& jvm : jvms) {
        std::string path = toUtf8(jvm.getJvmPath());
        for (const auto& [folder, name] : {std::pair{installations.folderUtf8(), "REG"}, {toUtf8(installations.home().path()), "HOME"}}) {
            if (path.compare(0, folder.size(), folder) == 0) path = name + path.substr(folder.size());
        }
        lines.push_back(toUtf8(jvm.getJavaBundle() + L" " + jvm.getVersion() + L" ") + path);
    }
    return lines;
}

// A Java home below `dir` with a release file naming `version`, a compiler when `sdk`, and
// empty VM libraries at `vms` (relative to the home).
std::wstring addHome(const TempDir& dir, const std::wstring& name, const std::string& version, bool sdk,
                     const std::vector<std::wstring>& vms) {
    dir.writeFile(name + L"/release", "JAVA_VERSION=\"" + version + "\"\n");
    if (sdk) dir.writeFile(name + L"/bin/javac", "");
    for (const std::wstring& vm : vms) dir.writeFile(name + L"/" + vm, "");
    return dir / name;
}

TEST(DiscoverySources, FindEachInstalledJavaOnceInSourceOrder) {
    const FakeInstallations installations;
    const std::wstring jdk17 = installations.add({L"jdk17", L"17.0.2", true, {L"server"}});
    const TempDir& home = installations.home();
    const std::wstring jdk21 = addHome(home, L"elsewhere/jdk21", "21", true, {L"lib/server/libjvm.so"});
    // Quoted, as scripts often write it.
    setenv("JAVA_HOME", ("\"" + toUtf8(jdk21) + "\"").c_str(), 1);
    const std::wstring sdkman = L".sdkman/candidates/java/";
    const std::wstring tem8 = addHome(home, sdkman + L"8.0.402-tem", "1.8.0_402", true, {L"jre/lib/amd64/server/libjvm.so"});
    std::filesystem::create_directory_symlink(toUtf8(tem8), toUtf8(home / sdkman + L"current"));
    addHome(home, L".jdks/corretto-11", "11.0.2", false, {L"lib/server/libjvm.so"});
    addHome(home, L".jdks/jre8", "1.8.0_391", false, {L"lib/amd64/client/libjvm.so"});
    std::filesystem::create_directory_symlink(toUtf8(jdk17), toUtf8(home / L".jdks/link-to-jdk17"));
    home.makeDir(L".jdks/not-java/bin");

    EXPECT_EQ(located(installations), (std::vector<std::string>{
                                          "sdk 17.0.2 REG/jdk17/lib/server/libjvm.so",
                                          "sdk 21 HOME/elsewhere/jdk21/lib/server/libjvm.so",
                                          "sdk 1.8.0_402 HOME/.sdkman/candidates/java/8.0.402-tem/jre/lib/amd64/server/libjvm.so",
                                          "jre 11.0.2 HOME/.jdks/corretto-11/lib/server/libjvm.so",
                                          "jre 1.8.0_391 HOME/.jdks/jre8/lib/amd64/client/libjvm.so",
                                      }));
}

TEST(DiscoverySources, FindTheVmOfAConfiguredJava8Home) {
    const TempDir dir;
    const std::wstring jdk8 = addHome(dir, L"jdk8", "1.8.0_402", true, {L"jre/lib/amd64/server/libjvm.so"});
    VmChoiceSettings settings;
    settings.javaHomePath = jdk8;
    const JVM jvm = JVMSelector(settings).getMostAppropriateJvm();
    EXPECT_EQ(toUtf8(jvm.getJvmPath()), toUtf8(jdk8 + L"/jre/lib/amd64/server/libjvm.so"));
    EXPECT_EQ(toUtf8(jvm.getJavaHomePath()), toUtf8(jdk8));
}

// The first bytes of a 64-bit x86 ELF library.
std::string elf64Header() {
    std::string bytes = std::string("\x7f" "ELF\2\1", 6) + std::string(14, '\0');
    bytes[18] = 62;
    return bytes;
}

TEST(DiscoverySources, NameTheLauncherToUseWhenEveryJavaIsOfTheOtherBitness) {
    const FakeInstallations installations;
    const std::wstring jdk = installations.add({L"jdk", L"17", true, {}});
    installations.writeFile(L"jdk/lib/server/libjvm.so", elf64Header());
    VmChoiceSettings settings;
    settings.machine = VmMachine{Cpu::X86, 32};
    const std::wstring refusal = jdk + L": 17, 64-bit, JDK: a 64-bit VM for this 32-bit launcher";

    EXPECT_REPORT(JVMSelector(settings).getMostAppropriateJvm(), L"Error in Java launcher. No acceptable JVMs were found.\n\n" +
                                                                     refusal + L"\nUse the 64-bit launcher for this Java.");
    settings.machine = VmMachine{Cpu::X64, 64};
    EXPECT_EQ(JVMSelector(settings).choose().candidateLines, std::vector<std::wstring>{L"JVM candidate: " + jdk + L": 17, 64-bit, JDK: chosen"});
}

TEST(DiscoverySources, ListEveryCandidateInRankOrderForTheDebugFile) {
    const FakeInstallations installations;
    const std::wstring jre = installations.add({L"jre", L"11.0.2", false, {L"client", L"server"}});
    const std::wstring old = installations.add({L"old", L"9-ea", false, {L"server"}});
    const std::wstring none = installations.add({L"none", L"21", false, {}});
    // Release files of folder sources that name no version, or cannot be read.
    const TempDir& home = installations.home();
    const std::wstring unversioned = addHome(home, L".jdks/a-unversioned", "", false, {L"lib/server/libjvm.so"});
    home.writeFile(L".jdks/a-unversioned/release", "IMPLEMENTOR=\"Test\"\n");
    const std::wstring unreadable = addHome(home, L".jdks/b-unreadable", "", false, {L"lib/server/libjvm.so"});
    std::filesystem::remove(toUtf8(unreadable + L"/release"));
    home.makeDir(L".jdks/b-unreadable/release");
    // A VM library cut short after its DOS header, whose PE header offset points past its end.
    const std::wstring damaged = addHome(home, L".jdks/c-damaged", "1.8.0_402", false, {});
    home.writeFile(L".jdks/c-damaged/lib/server/libjvm.so", "MZ" + std::string(58, '\0') + "\x80\x7f" + std::string(2, '\0'));
    VmChoiceSettings settings;
    settings.minJavaVersion = L"9";

    const JvmChoice choice = JVMSelector(settings).choose();
    ASSERT_TRUE(choice.jvm);
    EXPECT_EQ(toUtf8(choice.jvm->getJvmPath()), toUtf8(jre + L"/lib/client/libjvm.so"));
    EXPECT_EQ(choice.candidateLines, (std::vector<std::wstring>{
                                         L"JVM candidate: " + jre + L": 11.0.2, JRE: chosen",
                                         L"JVM candidate: " + jre + L": 11.0.2, JRE: acceptable",
                                         L"JVM candidate: " + old + L": 9-ea, JRE: below the minimum version 9",
                                         L"JVM candidate: " + damaged + L": 1.8.0_402, JRE: VM library damaged or unreadable",
                                         L"JVM candidate: " + unversioned + L": unknown version, JRE: release file unreadable",
                                         L"JVM candidate: " + unreadable + L": unknown version, JRE: release file unreadable",
                                         L"JVM candidate: " + none + L": 21, JRE: VM library missing",
                                     }));
    // Refused whatever the bounds, where the others are acceptable.
    settings.minJavaVersion.clear();
    const std::vector<std::wstring> unbounded = JVMSelector(settings).choose().candidateLines;
    ASSERT_EQ(unbounded.size(), 7u);
    EXPECT_EQ(unbounded[2], L"JVM candidate: " + old + L": 9-ea, JRE: acceptable");
    EXPECT_EQ(unbounded[3], L"JVM candidate: " + damaged + L": 1.8.0_402, JRE: VM library damaged or unreadable");
    EXPECT_EQ(unbounded[5], L"JVM candidate: " + unreadable + L": unknown version, JRE: release file unreadable");
}

}  // namespace
