// The system's service control manager: registering and removing a service, and running this
// process as one. Windows has one; on Linux every call answers "not supported".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// What a new service is registered with.
struct ServiceRegistration {
    std::wstring name;
    std::wstring displayName;
    std::wstring description;
    std::wstring command;  // the command line the manager starts
};

// The states a running service reports.
enum class ServiceState { startPending, running, stopPending, stopped };

// Runs the service named `name` on a thread of the manager's; the service has stopped when it returns.
using ServiceMainFunction = void (*)(const std::wstring& name);
// Answers the manager's stop or shutdown request; must return at once.
using ServiceStopFunction = void (*)();

// The manager's calls as plain function pointers, so that tests can pass a fake manager.
struct ServiceControlManager {
    // True when the manager started this process as a service.
    bool (*startedByManager)();
    // Registers a service that starts automatically; empty when done, otherwise the system's
    // message (an existing service is such a failure and is left unchanged).
    std::optional<std::wstring> (*install)(const ServiceRegistration& registration);
    // Stops the service `name` when it runs, waiting for it to stop, then removes it; empty when
    // done, otherwise the system's message.
    std::optional<std::wstring> (*uninstall)(const std::wstring& name);
    // Connects this process to the manager and serves it until `main` has returned; `stop` answers
    // stop and shutdown requests. Empty when the service ran, otherwise the system's message.
    std::optional<std::wstring> (*dispatch)(ServiceMainFunction main, ServiceStopFunction stop);
    // Reports the service's state; `exitCode` counts only with `stopped` (0: ended normally,
    // otherwise the program's own code), `waitHintMilliseconds` with the pending states.
    void (*reportStatus)(ServiceState state, std::uint32_t exitCode, std::uint32_t waitHintMilliseconds);
    // Writes `message` to the system's event log as an error from the source `source`.
    void (*logError)(const std::wstring& source, const std::wstring& message);
};

// The system's own manager.
const ServiceControlManager& systemServiceControlManager();

}  // namespace platform
