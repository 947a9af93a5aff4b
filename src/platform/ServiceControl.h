// The system's service control manager: registering and removing a service, and running this
// process as one. Only Windows has one: on Linux services are units of the init system, which runs
// the launcher as an ordinary program, so nothing there asks for the system's manager (the service
// runner's logic is still built and tested there, with a manager of the tests' own).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// When the manager starts a service.
enum class ServiceStart { automatic, delayedAutomatic, manual, disabled };

// What a new service is registered with.
struct ServiceRegistration {
    std::wstring name;
    std::wstring displayName;
    std::wstring description;
    std::wstring executablePath;  // the program the manager starts, a full path
    std::wstring command;         // the command line the manager starts
    std::wstring account;         // the account the service runs as, by the system's name; empty: LocalSystem
    ServiceStart start = ServiceStart::automatic;
    std::vector<std::wstring> dependencies;  // services that must run first
    // When set, the manager restarts the service this many seconds after it crashed or stopped
    // with an exit code other than 0.
    std::optional<std::uint32_t> restartDelaySeconds;
    // How long the manager waits for the service to stop before a system shutdown goes on.
    std::uint32_t preshutdownTimeoutMilliseconds = 0;
};

// The states a running service reports.
enum class ServiceState { startPending, running, stopPending, stopped };

// One report of a running service's state.
struct ServiceStatus {
    ServiceState state;
    std::uint32_t exitCode;  // only with `stopped`: 0 ended normally, otherwise the program's own code
    // Only with the pending states: how long the manager waits for the next report, and the number
    // of this report within its state (1, 2, ...), which tells the manager that the service is alive.
    std::uint32_t waitHintMilliseconds;
    std::uint32_t checkPoint;
};

// Runs the service named `name` on a thread of the manager's; the service has stopped when it returns.
using ServiceMainFunction = void (*)(const std::wstring& name);
// Answers the manager's stop, pre-shutdown or shutdown request; must return at once.
using ServiceStopFunction = void (*)();

// What a dispatch came to.
struct DispatchResult {
    bool startedByManager;                // false: this process is no service and nothing was called
    std::optional<std::wstring> failure;  // the system's message when the connection failed otherwise
};

// The manager's calls as plain function pointers, so that tests can pass a fake manager.
struct ServiceControlManager {
    // Registers the service with every setting of `registration` and its source in the event log;
    // empty when done, otherwise a message saying why not (an existing service is such a failure and
    // is left unchanged; a failure after the service was created removes it again).
    std::optional<std::wstring> (*install)(const ServiceRegistration& registration);
    // Stops the service `name` when it runs, waiting for it to stop, then removes it and its event
    // log source; empty when done, otherwise the system's message.
    std::optional<std::wstring> (*uninstall)(const std::wstring& name);
    // Connects this process to the manager and serves it until `main` has returned; `stop` answers
    // stop, pre-shutdown and shutdown requests. The manager's own answer tells whether it started
    // this process: a process started by hand gets `startedByManager` false at once.
    DispatchResult (*dispatch)(ServiceMainFunction main, ServiceStopFunction stop);
    // Reports the service's state; the pending states and running accept stop requests.
    void (*reportStatus)(const ServiceStatus& status);
    // Writes `message` to the system's event log as an error from the source `source`.
    void (*logError)(const std::wstring& source, const std::wstring& message);
};

// The system's own manager (Windows only).
const ServiceControlManager& systemServiceControlManager();

}  // namespace platform
