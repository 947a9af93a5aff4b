// The console programs' service options and the service run, against a fake control manager that
// records every call, and the fake VM.
#include "launcher/ServiceRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FakeVm.h"
#include "launcher/JVMLauncher.h"
#include "platform/Files.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

// The fake manager's record and answers. Process-wide, since the manager's calls are plain functions.
struct FakeManagerState {
    Lines calls;
    std::optional<std::wstring> failure;  // the answer of install and uninstall
    platform::ServiceStopFunction stop = nullptr;
};

FakeManagerState& fake() {
    static FakeManagerState state;
    return state;
}

const char* stateName(platform::ServiceState state) {
    switch (state) {
    case platform::ServiceState::startPending: return "start pending";
    case platform::ServiceState::running: return "running";
    case platform::ServiceState::stopPending: return "stop pending";
    case platform::ServiceState::stopped: break;
    }
    return "stopped";
}

const platform::ServiceControlManager kFakeManager{
    [] { return true; },
    [](const platform::ServiceRegistration& r) {
        fake().calls.push_back("install " + toUtf8(r.name + L"|" + r.displayName + L"|" + r.description + L"|" + r.command));
        return fake().failure;
    },
    [](const std::wstring& name) {
        fake().calls.push_back("uninstall " + toUtf8(name));
        return fake().failure;
    },
    // The service runs on the calling thread, so that a report reaches the test as it does elsewhere.
    [](platform::ServiceMainFunction main, platform::ServiceStopFunction stop) {
        fake().stop = stop;
        main(L"AcmeService");
        return std::optional<std::wstring>{};
    },
    [](platform::ServiceState state, std::uint32_t exitCode, std::uint32_t waitHint) {
        fake().calls.push_back(std::string(stateName(state)) + " " + std::to_string(exitCode) + " " + std::to_string(waitHint));
    },
    [](const std::wstring& source, const std::wstring& message) { fake().calls.push_back("log " + toUtf8(source + L": " + message)); },
};

class ServiceRunnerTest : public testing::Test {
protected:
    ServiceRunnerTest() { fake() = FakeManagerState{}; }
    ~ServiceRunnerTest() override {
        setReportListener(nullptr);
        setVmExitHook(nullptr);
        platform::changeDirectory(m_startDirectory);
    }

    // An application "app" configured as the service AcmeService with the options -i and -u, and
    // `more`; returns the executable's path.
    std::wstring serviceApplication(const std::string& more = "") {
        m_dir.writeFile(L"app.lap", "wexal.main.class=com.acme.Main\nwexal.jvm.path=" + toUtf8(FakeVm::libraryPath()) +
                                        "\nwexal.service.name=AcmeService\nwexal.service.option.install=-i\n"
                                        "wexal.service.option.uninstall=-u\n" + more);
        return m_dir / L"app";
    }

    bool vmLogHas(const std::string& line) const {
        const Lines lines = m_vm.logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    const std::wstring m_startDirectory = platform::currentDirectory().value_or(L"");
    TempDir m_dir;
    FakeVm m_vm{m_dir.path()};
};

TEST_F(ServiceRunnerTest, OptionsRegisterOrRemoveTheServiceWithoutStartingTheProgram) {
    const std::string description = "wexal.service.description=Runs Acme\n";
    const std::wstring app = serviceApplication(description);
    const std::string quotedPath = "\"" + toUtf8(app) + "\"";
    const struct {
        std::string configuration;
        std::wstring option;
        std::string call;
        std::string output;
    } cases[] = {
        {description, L"-i", "install AcmeService|AcmeService|Runs Acme|" + quotedPath, "The service AcmeService is installed.\n"},
        {description + "wexal.service.display.name=Acme\n", L"-i", "install AcmeService|Acme|Runs Acme|" + quotedPath,
         "The service AcmeService is installed.\n"},
        {description, L"-u", "uninstall AcmeService", "The service AcmeService is stopped and removed.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        fake().calls.clear();
        serviceApplication(c.configuration);
        testing::internal::CaptureStdout();
        EXPECT_EQ(runConsoleLauncher({app, c.option}, kFakeManager), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
        EXPECT_EQ(fake().calls, Lines{c.call});
    }
    EXPECT_EQ(m_vm.logLines(), Lines{});
}

TEST_F(ServiceRunnerTest, AFailedOptionReportsTheSystemsMessage) {
    const std::wstring app = serviceApplication();
    fake().failure = L"Access is denied.";
    EXPECT_REPORT(runConsoleLauncher({app, L"-i"}, kFakeManager),
                  L"Error in Java launcher. Cannot install the service AcmeService: Access is denied.");
    EXPECT_REPORT(runConsoleLauncher({app, L"-u"}, kFakeManager),
                  L"Error in Java launcher. Cannot uninstall the service AcmeService: Access is denied.");
}

TEST_F(ServiceRunnerTest, WithoutAnOptionTheProgramRunsInTheConsole) {
    const std::wstring app = serviceApplication();
    EXPECT_EQ(runConsoleLauncher({app, L"-x", L"-i"}, kFakeManager), 0);
    EXPECT_EQ(fake().calls, Lines{});
    EXPECT_TRUE(vmLogHas("CallStaticVoidMethod com/acme/Main main 2"));
}

TEST_F(ServiceRunnerTest, AStopRequestCallsInitiateExitAndTheServiceStopsWhenTheProgramEnds) {
    const std::wstring app = serviceApplication("wexal.service.stop.timeout=5\n");
    m_vm.duringMain([this] {
        fake().stop();
        for (int i = 0; i < 500 && !vmLogHas("CallStaticVoidMethod com/acme/Main initiateExit 0"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    EXPECT_EQ(runAsService({app}, kFakeManager), 0);

    EXPECT_EQ(fake().calls, (Lines{"start pending 0 30000", "running 0 0", "stop pending 0 5000", "stopped 0 0"}));
    EXPECT_TRUE(vmLogHas("CallStaticVoidMethod com/acme/Main initiateExit 0"));
}

TEST_F(ServiceRunnerTest, AFailureIsLoggedAndEndsTheServiceWithExitCodeOne) {
    const std::wstring app = m_dir / L"missing";
    const std::wstring message = L"Error in Java launcher. Could not open file " + app + L".lap";

    EXPECT_REPORT(runAsService({app}, kFakeManager), message);

    // The test's sink lets outer handlers report again, which the program's never does.
    fake().calls.resize(std::min<std::size_t>(fake().calls.size(), 3));
    EXPECT_EQ(fake().calls, (Lines{"start pending 0 30000", "log AcmeService: " + toUtf8(message), "stopped 1 0"}));
}

// The hook reports the code of a System.exit (shown under Wine); a console run gives the VM none.
TEST_F(ServiceRunnerTest, OnlyAServiceGivesTheVmAnExitHook) {
    const std::wstring app = serviceApplication();
    EXPECT_EQ(runConsoleLauncher({app}, kFakeManager), 0);
    EXPECT_FALSE(vmLogHas("option exit"));

    EXPECT_EQ(runAsService({app}, kFakeManager), 0);

    EXPECT_TRUE(vmLogHas("option exit"));
    EXPECT_EQ(fake().calls, (Lines{"start pending 0 30000", "running 0 0", "stopped 0 0"}));
}

}  // namespace
