// The top level against the fake VM: arguments, the configuration's folders, the service refusal.
#include "launcher/Launcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeVm.h"
#include "config/Properties.h"
#include "jvm/JVM.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"
#include "util/Text.h"

namespace {

using Lines = std::vector<std::string>;

class LauncherTest : public testing::Test {
protected:
    ~LauncherTest() override { platform::changeDirectory(m_startDirectory); }

    // An application "app" in `m_dir` whose configuration file holds `configuration`; returns the
    // executable's path.
    std::wstring applicationWith(const std::string& configuration) {
        m_dir.writeFile(L"app.lap", configuration);
        return m_dir / L"app";
    }

    std::string fakeVmLine() const { return "wexal.jvm.path=" + toUtf8(FakeVm::libraryPath()) + "\n"; }

    const std::wstring m_startDirectory = platform::currentDirectory().value_or(L"");
    TempDir m_dir;
    FakeVm m_vm{m_dir.path()};
};

TEST_F(LauncherTest, RunsMainWithTheCommandLineArgumentsBeforeTheConfiguredOnes) {
    const std::wstring app = applicationWith("wexal.main.class=com.acme.Main\n" + fakeVmLine() + "wexal.main.argument=configured\n");

    EXPECT_EQ(runLauncher({app, L"first", L"", L"second"}), 0);

    const Lines lines = m_vm.logLines();
    const Lines expectedElements = {"SetObjectArrayElement 0 first", "SetObjectArrayElement 1 ", "SetObjectArrayElement 2 second",
                                   "SetObjectArrayElement 3 configured"};
    Lines elements;
    for (const std::string& line : lines) {
        if (startsWith(fromUtf8(line), L"SetObjectArrayElement")) elements.push_back(line);
    }
    EXPECT_EQ(elements, expectedElements);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "DestroyJavaVM");
}

TEST_F(LauncherTest, ReadsTheConfigurationInTheHomeFolderAndRemembersTheStartUpDirectory) {
    const std::wstring app = applicationWith("wexal.main.class=com.acme.Main\n" + fakeVmLine());

    Properties properties = createProperties({app, L"a", L"", L"b"});

    EXPECT_EQ(toUtf8(properties.getMainClass()), "com/acme/Main");
    EXPECT_EQ(properties.getMainArguments(), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(toUtf8(properties.getCallerDir()), toUtf8(m_startDirectory));
    EXPECT_EQ(toUtf8(platform::currentDirectory().value_or(L"")), toUtf8(m_dir.path()));
}

TEST_F(LauncherTest, ReportsAMissingConfigurationFile) {
    EXPECT_REPORT(createProperties({m_dir / L"app"}), L"Error in Java launcher. Could not open file " + m_dir / L"app.lap");
}

TEST_F(LauncherTest, RefusesAServiceBeforeLoadingAnyLibrary) {
    Properties properties;
    properties.setMainClass(L"com.acme.Main");
    auto jvm = std::make_shared<JVM>();
    jvm->setJvmPath(FakeVm::libraryPath());
    properties.setFoundJvm(jvm);
    properties.setServiceName(L"AcmeService");

    EXPECT_REPORT(launchProgram(properties), L"Error in Java launcher. Use the WexalConsole32.exe or WexalConsole64.exe for Windows services.");

    EXPECT_EQ(m_vm.logLines(), Lines{});
}

}  // namespace
