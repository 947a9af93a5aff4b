// The installers' registry layouts, read from an in-memory registry in every root and view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeRegistry.h"
#include "jvm/JVMSelector.h"
#include "jvm/RegistryLayouts.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"

namespace {

using platform::RegistryRoot;
using platform::RegistryView;

TEST(RegistryLayouts, ListEveryInstallersJavasByRootViewAndLayout) {
    jvmtest::clearRegistry();
    const struct {
        RegistryRoot root;
        RegistryView view;
        const wchar_t* key;
        const wchar_t* value;
        const wchar_t* home;
    } entries[] = {
        {RegistryRoot::CurrentUser, RegistryView::Own, L"Software\\JavaSoft\\JDK\\21", L"JavaHome", L"C:\\user\\jdk-21"},
        {RegistryRoot::LocalMachine, RegistryView::Other, L"SOFTWARE\\Azul Systems\\Zulu\\zulu-11", L"InstallationPath", L"C:\\x86\\zulu-11"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\BellSoft\\Liberica\\jdk-21-full", L"InstallationPath", L"C:\\liberica"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\Semeru\\JRE\\11.0.21\\openj9\\MSI", L"Path", L"C:\\semeru"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\Microsoft\\JDK\\17.0.8.7\\hotspot\\MSI", L"Path", L"C:\\ms-17"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\AdoptOpenJDK\\JRE\\8.0.392.8\\openj9\\MSI", L"Path", L"C:\\adopt-8"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", L"Path", L"C:\\temurin-17"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\Eclipse Adoptium\\JDK\\11.0.1\\hotspot\\EXE", L"Path", L"C:\\no-msi"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\Eclipse Adoptium\\JRE\\21.0.1\\hotspot\\MSI", L"Path", L""},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\JavaSoft\\JRE\\9", L"JavaHome", L"C:\\jre-9"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\JavaSoft\\JRE\\9", L"RuntimeLib", L"C:\\jre-9\\bin\\server\\jvm.dll"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\JavaSoft\\JDK\\9", L"RuntimeLib", L"C:\\jdk-9\\jvm.dll"},
        {RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\JavaSoft\\Java Development Kit\\1.8.0_151", L"JavaHome", L"C:\\jdk8"},
    };
    for (const auto& e : entries) jvmtest::setRegistryValue(e.root, e.view, e.key, e.value, e.home);

    std::vector<JVM> jvms;
    addRegistryJvms(jvms);
    std::vector<std::string> listed;
    for (const JVM& jvm : jvms) {
        const std::wstring& library = jvm.getRuntimeLibrary();
        listed.push_back(toUtf8(jvm.getJavaBundle() + L"|" + jvm.getVersion() + L"|" + jvm.getJavaHomePath() +
                                (library.empty() ? L"" : L"|" + library)));
    }

    EXPECT_EQ(listed, (std::vector<std::string>{
                          "sdk|1.8.0_151|C:\\jdk8",
                          "jre|9|C:\\jre-9|C:\\jre-9\\bin\\server\\jvm.dll",
                          "sdk|17.0.9.9|C:\\temurin-17",
                          "jre|8.0.392.8|C:\\adopt-8",
                          "sdk|17.0.8.7|C:\\ms-17",
                          "jre|11.0.21|C:\\semeru",
                          "|jdk-21-full|C:\\liberica",
                          "sdk|21|C:\\user\\jdk-21",
                          "|zulu-11|C:\\x86\\zulu-11",
                      }));
    jvmtest::clearRegistry();
}

TEST(RegistryLayouts, KeepTheKeysVersionWhereTheReleaseFileNamesNone) {
    jvmtest::clearRegistry();
    const TempDir dir;
    dir.writeFile(L"jre/release", "IMPLEMENTOR=\"Test\"\n");
    jvmtest::setRegistryValue(RegistryRoot::LocalMachine, RegistryView::Own, L"SOFTWARE\\JavaSoft\\JRE\\11.0.2", L"JavaHome", dir / L"jre");

    std::vector<JVM> jvms;
    JVMSelector(VmChoiceSettings{}).locateJvms(jvms);
    ASSERT_FALSE(jvms.empty());
    EXPECT_EQ(toUtf8(jvms[0].getJavaHomePath()), toUtf8(dir / L"jre"));
    EXPECT_EQ(toUtf8(jvms[0].getVersion()), "11.0.2");
    EXPECT_TRUE(jvms[0].isAcceptable());
    jvmtest::clearRegistry();
}

}  // namespace
