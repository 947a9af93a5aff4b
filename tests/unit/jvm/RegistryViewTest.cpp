// The registry on Linux: the JavaSoft keys as a view of the Java installations in a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FakeInstallations.h"
#include "config/Properties.h"
#include "jvm/JVMSelector.h"
#include "jvm/WindowsRegistry.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

using jvmtest::FakeInstallation;
using jvmtest::FakeInstallations;

const std::wstring kSdkKey = L"SOFTWARE\\JavaSoft\\Java Development Kit";
const std::wstring kJreKey = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";

// "<bundle> <version> <home>" for each candidate the registry lists, kits first.
std::vector<std::string> listed() {
    std::vector<JVM> jvms;
    const WindowsRegistry registry;
    registry.addSdkJvms(jvms, kSdkKey);
    registry.addJreJvms(jvms, kJreKey);
    std::vector<std::string> lines;
    for (const JVM& jvm : jvms) lines.push_back(toUtf8(jvm.getJavaBundle() + L" " + jvm.getVersion() + L" " + jvm.getJavaHomePath()));
    return lines;
}

TEST(RegistryView, ListsKitsAndRuntimesByReleaseVersionInNameOrder) {
    const FakeInstallations installations;
    const std::string folder = installations.folderUtf8();
    installations.add({L"zulu-11", L"11.0.2", true, {}});
    installations.add({L"b-jre", L"1.8.0_151", false, {L"client"}});
    installations.add({L"a-jre", L"17", false, {}});
    installations.add({L"c-jdk", L"21.0.1", true, {L"server"}});
    installations.writeFile(L"crlf/release", "JAVA_VERSION=\"9.0.4\"\r\nOS_NAME=\"Linux\"\r\n");
    installations.writeFile(L"no-version/release", "JAVA_RUNTIME_VERSION=\"17\"\nJAVA_VERSION=17\n");
    installations.writeFile(L"no-release/bin/javac", "");
    installations.writeFile(L"plain-file", "JAVA_VERSION=\"1\"\n");
    std::filesystem::create_directory_symlink(folder + "/c-jdk", folder + "/0-link");

    EXPECT_EQ(listed(), (std::vector<std::string>{"sdk 21.0.1 " + folder + "/c-jdk", "sdk 11.0.2 " + folder + "/zulu-11",
                                                 "jre 17 " + folder + "/a-jre", "jre 1.8.0_151 " + folder + "/b-jre",
                                                 "jre 9.0.4 " + folder + "/crlf"}));
}

TEST(RegistryView, GivesEachVersionToTheFirstInstallationInNameOrder) {
    const FakeInstallations installations;
    const std::string folder = installations.folderUtf8();
    installations.add({L"b", L"11", false, {}});
    installations.add({L"a", L"11", false, {}});
    installations.add({L"c", L"11", true, {}});

    EXPECT_EQ(listed(), (std::vector<std::string>{"sdk 11 " + folder + "/c", "jre 11 " + folder + "/a"}));
    EXPECT_EQ(toUtf8(WindowsRegistry().getStringValue(kJreKey + L"\\11", L"JavaHome")), folder + "/a");
}

TEST(RegistryView, ReadsAJavaHomeOfUpTo259Characters) {
    const FakeInstallations installations;
    // A folder whose installation "abc" has a Java home of exactly 259 characters.
    const std::wstring padding(259 - installations.folder().size() - 1 - 1 - 3, L'p');
    installations.writeFile(padding + L"/abc/release", "JAVA_VERSION=\"1.2\"\n");
    installations.writeFile(padding + L"/abcd/release", "JAVA_VERSION=\"1.3\"\n");
    installations.writeFile(padding + L"/b/release", "JAVA_VERSION=\"1.4\"\n");
    const std::wstring folder = installations.folder() + L"/" + padding;
    platform::setJavaInstallationsFolder(folder);

    ASSERT_EQ((folder + L"/abc").size(), 259u);
    EXPECT_EQ(listed(), (std::vector<std::string>{"jre 1.2 " + toUtf8(folder) + "/abc", "jre 1.4 " + toUtf8(folder) + "/b"}));
}

TEST(RegistryView, ReadsNothingElse) {
    const FakeInstallations installations;
    installations.add({L"jdk", L"17.0.2", true, {}});
    const WindowsRegistry registry;
    EXPECT_EQ(toUtf8(registry.getStringValue(L"software\\javasoft\\java development kit\\17.0.2", L"javahome")),
              toUtf8(installations.folder() + L"/jdk"));
    EXPECT_EQ(registry.getStringValue(kSdkKey + L"\\17.0.2", L"RuntimeLib"), L"");
    EXPECT_EQ(registry.getStringValue(kSdkKey + L"\\17.0.3", L"JavaHome"), L"");
    EXPECT_EQ(registry.getStringValue(kJreKey + L"\\17.0.2", L"JavaHome"), L"");
    EXPECT_EQ(registry.getStringValue(kSdkKey, L"JavaHome"), L"");
    EXPECT_EQ(registry.getStringValue(L"SOFTWARE\\JavaSoft", L"JavaHome"), L"");

    platform::setJavaInstallationsFolder(installations.folder() + L"/missing");
    EXPECT_TRUE(listed().empty());
}

TEST(RegistryView, FindsTheInstalledDevelopmentKitWithItsServerVm) {
    std::vector<JVM> jvms;
    const Properties properties;
    const JVMSelector selector(properties.getVmChoiceSettings());
    selector.locateJvms(jvms);
    selector.separateClientAndServerJvms(jvms);
    const std::wstring home = L"/usr/lib/jvm/java-17-openjdk-amd64";
    const auto found = std::find_if(jvms.begin(), jvms.end(), [&](const JVM& jvm) {
        return jvm.getJavaHomePath() == home && jvm.getBinJvmDir() == L"server";
    });
    ASSERT_NE(found, jvms.end());
    EXPECT_EQ(found->getJavaBundle(), L"sdk");
    EXPECT_TRUE(startsWith(found->getVersion(), L"17."));
    EXPECT_EQ(toUtf8(found->getJvmPath()), toUtf8(home + L"/lib/server/libjvm.so"));
    for (const JVM& jvm : jvms) EXPECT_NE(toUtf8(jvm.getJavaHomePath()), "/usr/lib/jvm/java-1.17.0-openjdk-amd64");
}

}  // namespace
