// The console programs' service options and the service run, against a fake control manager that
// records every call, and the fake VM.
#include "service/ServiceRunner.h"

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
#include "service/ServiceLog.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

// The fake manager's record and answers. Process-wide, since the manager's calls are plain functions.
struct FakeManagerState {
    Lines calls;
    std::string stopOn;  // the state whose report a stop request follows at once
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

const char* startName(platform::ServiceStart start) {
    switch (start) {
    case platform::ServiceStart::automatic: return "auto";
    case platform::ServiceStart::delayedAutomatic: return "delayed";
    case platform::ServiceStart::manual: return "manual";
    case platform::ServiceStart::disabled: break;
    }
    return "disabled";
}

// The settings beyond names and command: account, start, dependencies, restart delay, pre-shutdown time.
std::string settingsText(const platform::ServiceRegistration& r) {
    std::wstring dependencies;
    for (const std::wstring& name : r.dependencies) dependencies += L"<" + name + L">";
    const std::string restart = r.restartDelaySeconds ? std::to_string(*r.restartDelaySeconds) : "none";
    return toUtf8(r.account + L"|") + startName(r.start) + "|" + toUtf8(dependencies) + "|" + restart + "|" +
           std::to_string(r.preshutdownTimeoutMilliseconds);
}

const platform::ServiceControlManager kFakeManager{
    [](const platform::ServiceRegistration& r) {
        fake().calls.push_back("install " + toUtf8(r.name + L"|" + r.displayName + L"|" + r.description + L"|" + r.command));
        fake().calls.push_back("settings " + settingsText(r));
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
        return platform::DispatchResult{true, std::nullopt};
    },
    // A stop request may come with the report of `stopOn`, as the system's can come at once.
    [](const platform::ServiceStatus& s) {
        const std::string state = stateName(s.state);
        fake().calls.push_back(state + " " + std::to_string(s.exitCode) + " " + std::to_string(s.waitHintMilliseconds) + " " +
                               std::to_string(s.checkPoint));
        if (state == fake().stopOn && s.checkPoint <= 1) fake().stop();
    },
    [](const std::wstring& source, const std::wstring& message) { fake().calls.push_back("log " + toUtf8(source + L": " + message)); },
};

// The calls without the repeated reports of a pending state (checkpoints 2 and on), whose number
// depends on time.
Lines withoutRepeatedReports(const Lines& calls) {
    Lines kept;
    for (const std::string& call : calls) {
        if (call.find("pending") == std::string::npos || call.substr(call.rfind(' ')) == " 1") kept.push_back(call);
    }
    return kept;
}

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
    const std::string installed = "The service AcmeService is installed.\n";
    const std::string install = "install AcmeService|AcmeService|Runs Acme|" + quotedPath;
    const struct {
        std::string configuration;
        std::wstring option;
        Lines calls;
        std::string output;
    } cases[] = {
        {description, L"-i", {install, "settings |auto||none|20000"}, installed},
        {description + "wexal.service.display.name=Acme\nwexal.service.account=localservice\nwexal.service.start=Delayed\n"
                       "wexal.service.dependencies= Tcpip;;Dnscache ;\nwexal.service.restart.delay=30\n"
                       "wexal.service.stop.timeout=45\n",
         L"-i",
         {"install AcmeService|Acme|Runs Acme|" + quotedPath, "settings NT AUTHORITY\\LocalService|delayed|<Tcpip><Dnscache>|30|45000"},
         installed},
        {description + "wexal.service.account=NetworkService\nwexal.service.start=manual\nwexal.service.restart.delay=0\n", L"-i",
         {install, "settings NT AUTHORITY\\NetworkService|manual||0|20000"}, installed},
        {description + "wexal.service.account=NT SERVICE\\AcmeService\nwexal.service.start=disabled\n", L"-i",
         {install, "settings NT SERVICE\\AcmeService|disabled||none|20000"}, installed},
        {description + "wexal.service.account=CORP\\acme$\nwexal.service.account=LocalSystem\n", L"-i",
         {install, "settings |auto||none|20000"}, installed},
        {description + "wexal.service.account=CORP\\acme$\n", L"-i", {install, "settings CORP\\acme$|auto||none|20000"}, installed},
        {description, L"-u", {"uninstall AcmeService"}, "The service AcmeService is stopped and removed.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.configuration);
        fake().calls.clear();
        serviceApplication(c.configuration);
        testing::internal::CaptureStdout();
        EXPECT_EQ(runConsoleLauncher({app, c.option}, kFakeManager), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
        EXPECT_EQ(fake().calls, c.calls);
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

TEST_F(ServiceRunnerTest, InstallRefusesSettingsTheSystemCannotTakeAndRegistersNothing) {
    const std::wstring longPath = m_dir / std::wstring(260 - m_dir.path().size(), L'a');
    const struct {
        std::string configuration;
        std::wstring executable;
        std::wstring message;
    } cases[] = {
        {"wexal.service.account=CORP\\alice\n", L"",
         L"The value \"CORP\\alice\" of wexal.service.account is not LocalSystem, LocalService, NetworkService, "
         L"NT SERVICE\\<name> or DOMAIN\\<name>$ (accounts with a password are set in the Services console)."},
        {"wexal.service.start=sometimes\n", L"",
         L"The value \"sometimes\" of wexal.service.start is not auto, delayed, manual or disabled."},
        {"wexal.service.restart.delay=10s\n", L"",
         L"The value \"10s\" of wexal.service.restart.delay is not a number of seconds."},
        {"", longPath,
         L"The path of the launcher is longer than 259 characters, which the service control manager cannot start: " + longPath},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.configuration);
        const std::wstring app = serviceApplication(c.configuration);
        if (!c.executable.empty()) {
            m_dir.writeFile(c.executable.substr(m_dir.path().size() + 1) + L".lap", *platform::readFileBytes(app + L".lap"));
        }
        EXPECT_REPORT(runConsoleLauncher({c.executable.empty() ? app : c.executable, L"-i"}, kFakeManager),
                      L"Error in Java launcher. " + c.message);
    }
    EXPECT_EQ(fake().calls, Lines{});
}

TEST_F(ServiceRunnerTest, WithoutAnOptionTheProgramRunsInTheConsole) {
    const std::wstring app = serviceApplication();
    EXPECT_EQ(runConsoleLauncher({app, L"-x", L"-i"}, kFakeManager), 0);
    EXPECT_EQ(fake().calls, Lines{});
    EXPECT_TRUE(vmLogHas("CallStaticVoidMethod com/acme/Main main 2"));
}

// A second request (the shutdown that follows a pre-shutdown) changes nothing; stop pending is
// reported every second with the next checkpoint until, and never after, stopped.
TEST_F(ServiceRunnerTest, AStopRequestCallsInitiateExitAndTheServiceStopsWhenTheProgramEnds) {
    const std::wstring app = serviceApplication("wexal.service.stop.timeout=5\n");
    m_vm.duringMain([this] {
        fake().stop();
        fake().stop();
        for (int i = 0; i < 500 && !vmLogHas("CallStaticVoidMethod com/acme/Main initiateExit 0"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2300));
    });

    EXPECT_EQ(runAsService({app}, kFakeManager), 0);

    EXPECT_EQ(withoutRepeatedReports(fake().calls),
              (Lines{"start pending 0 30000 1", "running 0 0 0", "stop pending 0 5000 1", "stopped 0 0 0"}));
    const auto stopPending = std::find(fake().calls.begin(), fake().calls.end(), "stop pending 0 5000 1");
    Lines expectedEnd;
    for (auto call = stopPending; call + 1 < fake().calls.end(); ++call) {
        expectedEnd.push_back("stop pending 0 5000 " + std::to_string(expectedEnd.size() + 1));
    }
    expectedEnd.push_back("stopped 0 0 0");
    EXPECT_EQ(Lines(stopPending, fake().calls.end()), expectedEnd);
    EXPECT_GE(expectedEnd.size(), 3u);
    const Lines vmLog = m_vm.logLines();
    EXPECT_EQ(std::count(vmLog.begin(), vmLog.end(), "CallStaticVoidMethod com/acme/Main initiateExit 0"), 1);
}

// A stop that comes before main is remembered: main is never called, nor initiateExit, and the
// service stops with exit code 0 at once.
TEST_F(ServiceRunnerTest, AStopBeforeMainMeansMainIsNeverCalled) {
    const std::wstring app = serviceApplication("wexal.service.stop.timeout=5\n");
    const struct {
        std::string stopOn;
        Lines calls;
        bool vmCreated;
    } cases[] = {
        {"start pending", {"start pending 0 30000 1", "stop pending 0 20000 1", "stopped 0 0 0"}, false},
        {"running", {"start pending 0 30000 1", "running 0 0 0", "stop pending 0 5000 1", "stopped 0 0 0"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stopOn);
        fake() = FakeManagerState{};
        fake().stopOn = c.stopOn;
        const auto started = std::chrono::steady_clock::now();

        EXPECT_EQ(runAsService({app}, kFakeManager), 0);

        EXPECT_EQ(withoutRepeatedReports(fake().calls), c.calls);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
        EXPECT_EQ(vmLogHas("DestroyJavaVM"), c.vmCreated);
        for (const std::string& line : m_vm.logLines()) EXPECT_EQ(line.find("CallStaticVoidMethod"), std::string::npos) << line;
    }
}

TEST_F(ServiceRunnerTest, AFailureIsLoggedAndEndsTheServiceWithExitCodeOne) {
    const std::wstring app = m_dir / L"missing";
    const std::wstring message = L"Error in Java launcher. Could not open file " + app + L".lap";

    EXPECT_REPORT(runAsService({app}, kFakeManager), message);

    // The test's sink lets outer handlers report again, which the program's never does.
    fake().calls.resize(std::min<std::size_t>(fake().calls.size(), 3));
    EXPECT_EQ(withoutRepeatedReports(fake().calls),
              (Lines{"start pending 0 30000 1", "log AcmeService: " + toUtf8(message), "stopped 1 0 0"}));
}

// The hook reports the code of a System.exit (shown under Wine); a console run gives the VM none.
TEST_F(ServiceRunnerTest, OnlyAServiceGivesTheVmAnExitHook) {
    const std::wstring app = serviceApplication();
    EXPECT_EQ(runConsoleLauncher({app}, kFakeManager), 0);
    EXPECT_FALSE(vmLogHas("option exit"));

    EXPECT_EQ(runAsService({app}, kFakeManager), 0);

    EXPECT_TRUE(vmLogHas("option exit"));
    EXPECT_EQ(withoutRepeatedReports(fake().calls), (Lines{"start pending 0 30000 1", "running 0 0 0", "stopped 0 0 0"}));
}

// What the program writes and what the launcher reports reach the log files in the configured
// folder (logs below the home folder by default) through the capture of the standard streams.
TEST_F(ServiceRunnerTest, TheProgramsOutputAndTheLaunchersMessagesGoToTheLogFiles) {
    const std::wstring app = serviceApplication("-Dfakejvm.main=print\n");
    EXPECT_EQ(runAsService({app}, kFakeManager), 0);
    // The line end is the system's, as with Java's println.
    EXPECT_EQ(platform::readFileBytes(m_dir / L"logs/AcmeService.out.log").value_or("").rfind("main called", 0), 0u);

    serviceApplication("wexal.service.log.dir=" + toUtf8(m_dir / L"other") + "\n-Dfakejvm.fail=create\n");
    EXPECT_REPORT(runAsService({app}, kFakeManager), L"Error in Java launcher. Cannot create Java VM.");
    EXPECT_EQ(platform::readFileBytes(m_dir / L"other/AcmeService.err.log").value_or("").rfind(
                  "Error in Java launcher. Cannot create Java VM.", 0), 0u);
}

// A file rolls over when it holds something and the next piece would take it beyond the maximum;
// the newest rolled-over file is number 1, and only `keep` of them are kept.
TEST(RollingLogFileTest, RollsOverBySizeAndKeepsTheNewestFiles) {
    const struct {
        std::uint32_t keep;
        Lines pieces;
        Lines files;  // the content of <base>.log, <base>.1.log, ... up to the last that exists
    } cases[] = {
        {2, {"12345", "6789", "01"}, {"01", "123456789"}},
        {2, {"1234567890", "x"}, {"x", "1234567890"}},
        {2, {"abcdefghijkl", "x", "y"}, {"xy", "abcdefghijkl"}},
        {2, {"1234", "5678", "abcd", "efgh", "ijkl"}, {"ijkl", "abcdefgh", "12345678"}},
        {1, {"1234", "5678", "abcd", "efgh", "ijkl"}, {"ijkl", "abcdefgh"}},
        {0, {"12345678", "abc", "d"}, {"abcd"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pieces.front());
        const TempDir dir;
        RollingLogFile log(dir / L"logs/app.out", 10, c.keep);
        for (const std::string& piece : c.pieces) log.write(piece);
        Lines files;
        std::wstring path = dir / L"logs/app.out.log";
        for (int index = 1; platform::readFileBytes(path); ++index) {
            files.push_back(*platform::readFileBytes(path));
            path = dir / (L"logs/app.out." + std::to_wstring(index) + L".log");
        }
        EXPECT_EQ(files, c.files);
    }
}

}  // namespace
