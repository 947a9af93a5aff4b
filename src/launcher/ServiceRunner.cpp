// The console programs' top level and the Java program as a service: the manager's calls in and
// out, the stop request and its deadline.
#include "launcher/ServiceRunner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

#include "config/Properties.h"
#include "launcher/JVMLauncher.h"
#include "launcher/Launcher.h"
#include "platform/StandardStreams.h"
#include "report/ErrorReport.h"

namespace {

// How long the manager waits for the configuration to load before it counts the start as failed.
constexpr std::uint32_t kStartWaitHintMilliseconds = 30000;

// The one service of the process. The manager's callbacks carry no context, so they find it here.
struct ServiceRun {
    const platform::ServiceControlManager* manager = nullptr;
    std::vector<std::wstring> arguments;
    std::wstring name;
    std::atomic<std::uint32_t> stopTimeoutMilliseconds{Properties::kDefaultServiceStopTimeoutMilliseconds};
    std::atomic<bool> stoppedReported{false};
    std::mutex mutex;
    std::condition_variable programEnded;
    bool ended = false;  // guarded by mutex
};

// Never destroyed: a stop request's threads may still wait on it while the process ends.
ServiceRun& serviceRun() {
    static ServiceRun* const run = new ServiceRun;
    return *run;
}

// Only the first report of the stopped state counts; the manager may end the process after it.
void reportStopped(std::uint32_t exitCode) {
    ServiceRun& run = serviceRun();
    if (!run.stoppedReported.exchange(true)) run.manager->reportStatus(platform::ServiceState::stopped, exitCode, 0);
}

// The report listener while the process is a service: nobody reads its standard error stream.
void logReport(const std::wstring& text) {
    ServiceRun& run = serviceRun();
    run.manager->logError(run.name, text);
    reportStopped(1);
}

void markProgramEnded() {
    ServiceRun& run = serviceRun();
    const std::lock_guard<std::mutex> lock(run.mutex);
    run.ended = true;
    run.programEnded.notify_all();
}

// The program ends the process itself (System.exit): its code is the service's exit code.
void JNICALL reportVmExit(jint exitCode) {
    reportStopped(static_cast<std::uint32_t>(exitCode));
}

void serviceMain(const std::wstring& name) {
    ServiceRun& run = serviceRun();
    run.name = name;
    setReportListener(logReport);
    setVmExitHook(reportVmExit);
    run.manager->reportStatus(platform::ServiceState::startPending, 0, kStartWaitHintMilliseconds);
    const Properties loaded = createProperties(run.arguments);
    run.stopTimeoutMilliseconds = loaded.getServiceStopTimeoutMilliseconds();
    run.manager->reportStatus(platform::ServiceState::running, 0, 0);
    Properties launcherCopy = loaded;
    launchProgram(launcherCopy, ProgramKind::console);
    markProgramEnded();
    reportStopped(0);
}

// The console trap's call, on a thread of its own that the call attaches to the VM.
void callInitiateExit() {
    if (JVMLauncher* launcher = currentLauncher.load()) launcher->callInitiateExit();
}

void endUnlessProgramEndsInTime() {
    ServiceRun& run = serviceRun();
    std::unique_lock<std::mutex> lock(run.mutex);
    const std::chrono::milliseconds timeout(run.stopTimeoutMilliseconds.load());
    if (run.programEnded.wait_for(lock, timeout, [&run] { return run.ended; })) return;
    reportStopped(1);
    // The program's threads are not waited for, nor are exit handlers run that might wait for them.
    std::_Exit(1);
}

// Answers a stop or shutdown request at once; the program ends itself on other threads.
void requestStop() {
    ServiceRun& run = serviceRun();
    run.manager->reportStatus(platform::ServiceState::stopPending, 0, run.stopTimeoutMilliseconds);
    std::thread(callInitiateExit).detach();
    std::thread(endUnlessProgramEndsInTime).detach();
}

void installService(const Properties& properties, const std::wstring& executablePath,
                    const platform::ServiceControlManager& manager) {
    const std::wstring& name = properties.getServiceName();
    const platform::ServiceRegistration registration{name, properties.getServiceDisplayName(),
                                                     properties.getServiceDescription(), L"\"" + executablePath + L"\""};
    if (std::optional<std::wstring> failure = manager.install(registration)) {
        throw LaunchError{L"Cannot install the service " + name + L": " + *failure};
    }
    platform::writeOutputLine(L"The service " + name + L" is installed.");
}

void uninstallService(const Properties& properties, const platform::ServiceControlManager& manager) {
    const std::wstring& name = properties.getServiceName();
    if (std::optional<std::wstring> failure = manager.uninstall(name)) {
        throw LaunchError{L"Cannot uninstall the service " + name + L": " + *failure};
    }
    platform::writeOutputLine(L"The service " + name + L" is stopped and removed.");
}

// True when the first command-line argument is the configured, non-empty `option`.
bool firstArgumentIs(const std::vector<std::wstring>& arguments, const std::wstring& option) {
    return !option.empty() && arguments.size() > 1 && arguments[1] == option;
}

// Serves a service option given on the command line; false when none was given.
bool runServiceOption(const Properties& properties, const std::vector<std::wstring>& arguments,
                      const platform::ServiceControlManager& manager) {
    if (properties.getServiceName().empty()) return false;
    if (firstArgumentIs(arguments, properties.getServiceOptionInstall())) {
        installService(properties, arguments.front(), manager);
        return true;
    }
    if (firstArgumentIs(arguments, properties.getServiceOptionUninstall())) {
        uninstallService(properties, manager);
        return true;
    }
    return false;
}

}  // namespace

int runConsoleLauncher(const std::vector<std::wstring>& arguments, const platform::ServiceControlManager& manager) {
    return reportFailuresWithDefaultText([&] {
        const Properties loaded = createProperties(arguments);
        if (runServiceOption(loaded, arguments, manager)) return 0;
        Properties launcherCopy = loaded;
        launchProgram(launcherCopy, ProgramKind::console);
        return 0;
    });
}

int runAsService(const std::vector<std::wstring>& arguments, const platform::ServiceControlManager& manager) {
    ServiceRun& run = serviceRun();
    run.manager = &manager;
    run.arguments = arguments;
    run.stoppedReported = false;
    {
        const std::lock_guard<std::mutex> lock(run.mutex);
        run.ended = false;
    }
    if (std::optional<std::wstring> failure = manager.dispatch(serviceMain, requestStop)) showErrorAndExit(*failure);
    return 0;
}
