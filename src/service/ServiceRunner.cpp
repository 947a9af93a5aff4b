// The console programs' top level and the Java program as a service: the manager's calls in and
// out, the state reports with their progress, the stop request and its deadline, and the service's
// log files.
#include "service/ServiceRunner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "config/Properties.h"
#include "launcher/JVMLauncher.h"
#include "launcher/Launcher.h"
#include "platform/OutputCapture.h"
#include "platform/PathConventions.h"
#include "platform/StandardStreams.h"
#include "report/ErrorReport.h"
#include "service/ServiceLog.h"
#include "service/ServiceSettings.h"

namespace {

// How long the manager waits for the configuration to load before it counts the start as failed.
constexpr std::uint32_t kStartWaitHintMilliseconds = 30000;
// How often a pending state is reported again with the next checkpoint.
constexpr std::chrono::milliseconds kProgressInterval{1000};

// The standard streams' log files and their captures.
struct ServiceLogs {
    std::mutex mutex;  // guards the files, which the captures' threads write
    std::unique_ptr<RollingLogFile> output;
    std::unique_ptr<RollingLogFile> error;
    std::unique_ptr<platform::OutputCapture> outputCapture;
    std::unique_ptr<platform::OutputCapture> errorCapture;
};

// The one service of the process. The manager's callbacks carry no context, so they find it here.
struct ServiceRun {
    const platform::ServiceControlManager* manager = nullptr;
    std::vector<std::wstring> arguments;
    std::wstring name;
    std::atomic<std::uint32_t> stopTimeoutMilliseconds{Properties::kDefaultServiceStopTimeoutMilliseconds};
    // The reported state, guarded by statusMutex. Each report starts a new phase; a pending
    // phase's progress thread reports it again until the phase ends. Recursive, since a manager may
    // pass a stop request while it takes a report (a test's fake manager does).
    std::recursive_mutex statusMutex;
    std::condition_variable_any statusChanged;
    std::uint64_t phase = 0;
    platform::ServiceStatus status{platform::ServiceState::stopped, 0, 0, 0};
    bool stoppedReported = false;
    bool stopRequested = false;
    bool mainCalled = false;
    // The program's end, guarded by mutex.
    std::mutex mutex;
    std::condition_variable programEnded;
    bool ended = false;
    std::mutex logsMutex;  // guards logs
    std::shared_ptr<ServiceLogs> logs;
};

// Never destroyed: a stop request's threads may still wait on it while the process ends.
ServiceRun& serviceRun() {
    static ServiceRun* const run = new ServiceRun;
    return *run;
}

void reportAgainUntilPhaseEnds(std::uint64_t phase) {
    ServiceRun& run = serviceRun();
    std::unique_lock<std::recursive_mutex> lock(run.statusMutex);
    while (!run.statusChanged.wait_for(lock, kProgressInterval, [&run, phase] { return run.phase != phase; })) {
        ++run.status.checkPoint;
        run.manager->reportStatus(run.status);
    }
}

// Reports `state` (with statusMutex held); nothing is reported after stopped, for the manager may
// end the process then.
void reportLocked(platform::ServiceState state, std::uint32_t exitCode, std::uint32_t waitHintMilliseconds) {
    ServiceRun& run = serviceRun();
    if (run.stoppedReported) return;
    const bool pending = state == platform::ServiceState::startPending || state == platform::ServiceState::stopPending;
    run.status = {state, exitCode, pending ? waitHintMilliseconds : 0, pending ? 1u : 0u};
    run.stoppedReported = state == platform::ServiceState::stopped;
    const std::uint64_t phase = ++run.phase;
    run.statusChanged.notify_all();
    run.manager->reportStatus(run.status);
    if (pending) std::thread(reportAgainUntilPhaseEnds, phase).detach();
}

void report(platform::ServiceState state, std::uint32_t exitCode, std::uint32_t waitHintMilliseconds) {
    const std::lock_guard<std::recursive_mutex> lock(serviceRun().statusMutex);
    reportLocked(state, exitCode, waitHintMilliseconds);
}

// Writes what the program wrote to its standard streams to the log files, the files rolled over
// as they grow, the launcher's own messages included.
void startLogs(const Properties& properties) {
    const ServiceLogSettings settings = serviceLogSettings(properties);
    const std::wstring base = settings.directory + platform::kPathSeparator + properties.getServiceName();
    auto logs = std::make_shared<ServiceLogs>();
    logs->output = std::make_unique<RollingLogFile>(base + L".out", settings.maxBytes, settings.keepCount);
    logs->error = std::make_unique<RollingLogFile>(base + L".err", settings.maxBytes, settings.keepCount);
    ServiceLogs& files = *logs;
    logs->outputCapture = platform::OutputCapture::start(platform::StandardStream::output, [&files](const std::string& bytes) {
        const std::lock_guard<std::mutex> lock(files.mutex);
        files.output->write(bytes);
    });
    logs->errorCapture = platform::OutputCapture::start(platform::StandardStream::error, [&files](const std::string& bytes) {
        const std::lock_guard<std::mutex> lock(files.mutex);
        files.error->write(bytes);
    });
    const std::lock_guard<std::mutex> lock(serviceRun().logsMutex);
    serviceRun().logs = std::move(logs);
}

// Lets what was written reach the log files and gives the standard streams back; the captures'
// threads, which may outlive them, write nothing more.
void stopLogs() {
    ServiceRun& run = serviceRun();
    const std::lock_guard<std::mutex> lock(run.logsMutex);
    if (!run.logs) return;
    run.logs->outputCapture.reset();
    run.logs->errorCapture.reset();
    run.logs.reset();
}

// The end of the service: the log files complete, then stopped reported once.
void reportStopped(std::uint32_t exitCode) {
    stopLogs();
    report(platform::ServiceState::stopped, exitCode, 0);
}

// The report listener while the process is a service: the message goes to the event log and to
// the error log file, for nobody reads the standard error stream.
void logReport(const std::wstring& text) {
    ServiceRun& run = serviceRun();
    run.manager->logError(run.name, text);
    platform::writeErrorLine(text);
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

// The launcher's question before main: a stop that came first means main is not called.
bool mayCallMain() {
    ServiceRun& run = serviceRun();
    const std::lock_guard<std::recursive_mutex> lock(run.statusMutex);
    run.mainCalled = !run.stopRequested;
    return run.mainCalled;
}

// Reports running unless a stop came while the configuration loaded; false then.
bool enterRunning() {
    ServiceRun& run = serviceRun();
    const std::lock_guard<std::recursive_mutex> lock(run.statusMutex);
    if (run.stopRequested) return false;
    reportLocked(platform::ServiceState::running, 0, 0);
    return true;
}

void serviceMain(const std::wstring& name) {
    ServiceRun& run = serviceRun();
    run.name = name;
    setReportListener(logReport);
    setVmExitHook(reportVmExit);
    setMainGate(mayCallMain);
    report(platform::ServiceState::startPending, 0, kStartWaitHintMilliseconds);
    reportFailuresWithDefaultText([&run] {
        const Properties loaded = createProperties(run.arguments);
        run.stopTimeoutMilliseconds = loaded.getServiceStopTimeoutMilliseconds();
        startLogs(loaded);
        if (enterRunning()) {
            Properties launcherCopy = loaded;
            launchProgram(launcherCopy, ProgramKind::console);
        }
    });
    markProgramEnded();
    reportStopped(0);
}

// On a thread of its own, which the call attaches to the VM.
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

// Answers a stop, pre-shutdown or shutdown request at once, the first one only: stop pending, and
// initiateExit(0) once main runs (a stop before main means main is never called); the program
// ends itself on other threads.
void requestStop() {
    ServiceRun& run = serviceRun();
    std::unique_lock<std::recursive_mutex> lock(run.statusMutex);
    if (run.stopRequested || run.stoppedReported) return;
    run.stopRequested = true;
    reportLocked(platform::ServiceState::stopPending, 0, run.stopTimeoutMilliseconds);
    const bool mainCalled = run.mainCalled;
    lock.unlock();
    if (mainCalled) std::thread(callInitiateExit).detach();
    std::thread(endUnlessProgramEndsInTime).detach();
}

void installService(const Properties& properties, const std::wstring& executablePath,
                    const platform::ServiceControlManager& manager) {
    const std::wstring& name = properties.getServiceName();
    const platform::ServiceRegistration registration = serviceRegistration(properties, executablePath);
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

std::optional<int> runAsService(const std::vector<std::wstring>& arguments, const platform::ServiceControlManager& manager) {
    ServiceRun& run = serviceRun();
    run.manager = &manager;
    run.arguments = arguments;
    run.stopTimeoutMilliseconds = Properties::kDefaultServiceStopTimeoutMilliseconds;
    {
        const std::lock_guard<std::recursive_mutex> lock(run.statusMutex);
        ++run.phase;
        run.stoppedReported = false;
        run.stopRequested = false;
        run.mainCalled = false;
    }
    {
        const std::lock_guard<std::mutex> lock(run.mutex);
        run.ended = false;
    }
    const platform::DispatchResult dispatched = manager.dispatch(serviceMain, requestStop);
    if (!dispatched.startedByManager) return std::nullopt;
    if (dispatched.failure) showErrorAndExit(*dispatched.failure);
    return 0;
}
