// Registering a Windows service with its settings and event log source, and removing both again.
#include "platform/win32/ServiceInstall.h"

#include <cwchar>

#include "platform/win32/Win32.h"

namespace platform::win32 {
namespace {

struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle none() { return nullptr; }
    static void release(Handle handle) { CloseServiceHandle(handle); }
};
// The manager or a service opened through it.
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;

// How long an uninstall waits for a running service to stop.
constexpr DWORD kUninstallStopWaitMilliseconds = 60000;
// After a day without a failure the manager counts failures from zero again.
constexpr DWORD kFailureCountResetSeconds = 86400;

const wchar_t kEventSourcesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

std::optional<std::wstring> lastErrorMessage() {
    return systemMessage(GetLastError());
}

// Why the account the service runs as could not start the program at `path`; empty when it can.
// A subst drive and a mapped network drive belong to the session that made them.
std::optional<std::wstring> driveProblem(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':') return std::nullopt;
    const std::wstring drive = path.substr(0, 2);
    if (GetDriveTypeW((drive + L"\\").c_str()) == DRIVE_REMOTE) {
        return L"The drive " + drive + L" is a network drive, which the service's account cannot see. Install the "
               L"service from a local folder.";
    }
    wchar_t target[MAX_PATH + 8] = {};
    // A subst drive stands for a folder: "\??\C:\folder".
    if (QueryDosDeviceW(drive.c_str(), target, MAX_PATH + 8) != 0 && std::wcsncmp(target, L"\\??\\", 4) == 0) {
        return L"The drive " + drive + L" is a subst drive, which the service's account cannot see. Install the "
               L"service from the folder it stands for: " + std::wstring(target + 4);
    }
    return std::nullopt;
}

DWORD startType(ServiceStart start) {
    switch (start) {
    case ServiceStart::manual: return SERVICE_DEMAND_START;
    case ServiceStart::disabled: return SERVICE_DISABLED;
    case ServiceStart::automatic:
    case ServiceStart::delayedAutomatic: break;
    }
    return SERVICE_AUTO_START;
}

// The names one after the other, each ending in a null, and one more null at the end.
std::wstring nullSeparatedList(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (const std::wstring& name : names) list += name + L'\0';
    return list + L'\0';
}

bool setDescription(SC_HANDLE service, const ServiceRegistration& registration) {
    if (registration.description.empty()) return true;
    std::wstring description = registration.description;
    SERVICE_DESCRIPTIONW text{description.data()};
    return ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &text) != FALSE;
}

// Sets a refinement that older systems and Wine do not know; they keep their plain behaviour
// (failure actions after crashes only, a delayed start as an automatic one).
bool setRefinement(SC_HANDLE service, DWORD level, void* info) {
    return ChangeServiceConfig2W(service, level, info) || GetLastError() == ERROR_INVALID_LEVEL;
}

// Restarts after a crash and, with the flag, after a stop with an exit code other than 0.
bool setRestart(SC_HANDLE service, const ServiceRegistration& registration) {
    if (!registration.restartDelaySeconds) return true;
    SC_ACTION restart{SC_ACTION_RESTART, *registration.restartDelaySeconds * 1000};
    SERVICE_FAILURE_ACTIONSW actions{kFailureCountResetSeconds, nullptr, nullptr, 1, &restart};
    if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &actions)) return false;
    SERVICE_FAILURE_ACTIONS_FLAG onNonCrashFailures{TRUE};
    return setRefinement(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onNonCrashFailures);
}

bool setSettings(SC_HANDLE service, const ServiceRegistration& registration) {
    SERVICE_PRESHUTDOWN_INFO preshutdown{registration.preshutdownTimeoutMilliseconds};
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    return setDescription(service, registration) && setRestart(service, registration) &&
           ChangeServiceConfig2W(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, &preshutdown) &&
           (registration.start != ServiceStart::delayedAutomatic ||
            setRefinement(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed));
}

// The event log source `name`, whose messages the executable's own message table words.
bool registerEventSource(const std::wstring& name, const std::wstring& executablePath) {
    HKEY created = nullptr;
    const std::wstring path = kEventSourcesKey + name;
    LSTATUS result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr);
    const KeyHandle key(created);
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    const auto fileBytes = static_cast<DWORD>((executablePath.size() + 1) * sizeof(wchar_t));
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExW(key.get(), L"EventMessageFile", 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(executablePath.c_str()), fileBytes);
    }
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExW(key.get(), L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
    }
    // The registry answers with its error code rather than the thread's last error.
    SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

void removeEventSource(const std::wstring& name) {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kEventSourcesKey + name).c_str());
}

ServiceHandle createService(SC_HANDLE manager, const ServiceRegistration& registration) {
    const std::wstring dependencies = nullSeparatedList(registration.dependencies);
    const wchar_t* account = registration.account.empty() ? nullptr : registration.account.c_str();
    return ServiceHandle(CreateServiceW(manager, registration.name.c_str(), registration.displayName.c_str(),
                                        SERVICE_CHANGE_CONFIG | SERVICE_START | DELETE, SERVICE_WIN32_OWN_PROCESS,
                                        startType(registration.start), SERVICE_ERROR_NORMAL, registration.command.c_str(),
                                        nullptr, nullptr, dependencies.c_str(), account, nullptr));
}

// Asks a running `service` to stop and waits until it has, at most kUninstallStopWaitMilliseconds.
std::optional<std::wstring> stopService(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) return lastErrorMessage();
    if (status.dwCurrentState == SERVICE_STOPPED) return std::nullopt;
    if (status.dwCurrentState != SERVICE_STOP_PENDING && !ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        return lastErrorMessage();
    }
    const DWORD start = GetTickCount();
    while (status.dwCurrentState != SERVICE_STOPPED && GetTickCount() - start < kUninstallStopWaitMilliseconds) {
        Sleep(250);
        if (!QueryServiceStatus(service, &status)) return lastErrorMessage();
    }
    if (status.dwCurrentState != SERVICE_STOPPED) return systemMessage(ERROR_SERVICE_REQUEST_TIMEOUT);
    return std::nullopt;
}

}  // namespace

std::wstring systemMessage(unsigned long error) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message(buffer != nullptr ? buffer : L"", length);
    LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) message.pop_back();
    if (message.empty()) message = L"System error " + std::to_wstring(error) + L".";
    return message;
}

std::optional<std::wstring> installService(const ServiceRegistration& registration) {
    if (std::optional<std::wstring> problem = driveProblem(registration.executablePath)) return problem;
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager.valid()) return lastErrorMessage();
    const ServiceHandle service = createService(manager.get(), registration);
    if (!service.valid()) return lastErrorMessage();
    if (setSettings(service.get(), registration) && registerEventSource(registration.name, registration.executablePath)) {
        return std::nullopt;
    }
    // A failed install leaves nothing behind.
    std::optional<std::wstring> failure = lastErrorMessage();
    DeleteService(service.get());
    removeEventSource(registration.name);
    return failure;
}

std::optional<std::wstring> uninstallService(const std::wstring& name) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager.valid()) return lastErrorMessage();
    const ServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service.valid()) return lastErrorMessage();
    if (std::optional<std::wstring> failure = stopService(service.get())) return failure;
    if (!DeleteService(service.get())) return lastErrorMessage();
    removeEventSource(name);
    return std::nullopt;
}

}  // namespace platform::win32
