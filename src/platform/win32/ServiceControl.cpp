// The Windows service control manager: registration, removal, and this process as a service.
#include "platform/ServiceControl.h"

#include <atomic>

#include "platform/win32/Win32.h"

#include <tlhelp32.h>

namespace platform {
namespace {

struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle none() { return nullptr; }
    static void release(Handle handle) { CloseServiceHandle(handle); }
};
// The manager or a service opened through it.
using ServiceHandle = win32::UniqueHandle<ServiceHandleTraits>;

// How long an uninstall waits for a running service to stop.
constexpr DWORD kUninstallStopWaitMilliseconds = 60000;

// The system's text for the error code `error`, without its line end.
std::wstring systemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message(buffer != nullptr ? buffer : L"", length);
    LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) message.pop_back();
    if (message.empty()) message = L"System error " + std::to_wstring(error) + L".";
    return message;
}

std::optional<std::wstring> lastErrorMessage() {
    return systemMessage(GetLastError());
}

// The executable name of the process `processId`; empty when it is gone.
std::wstring processImageName(DWORD processId, const PROCESSENTRY32W& first, HANDLE snapshot) {
    PROCESSENTRY32W entry = first;
    do {
        if (entry.th32ProcessID == processId) return entry.szExeFile;
    } while (Process32NextW(snapshot, &entry));
    return L"";
}

// The process that created this one, found in a snapshot of every process.
bool startedByServicesProcess() {
    const win32::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return false;
    PROCESSENTRY32W first{};
    first.dwSize = sizeof first;
    if (!Process32FirstW(snapshot.get(), &first)) return false;
    PROCESSENTRY32W entry = first;
    DWORD parentId = 0;
    do {
        if (entry.th32ProcessID == GetCurrentProcessId()) parentId = entry.th32ParentProcessID;
    } while (parentId == 0 && Process32NextW(snapshot.get(), &entry));
    if (parentId == 0 || !Process32FirstW(snapshot.get(), &first)) return false;
    return lstrcmpiW(processImageName(parentId, first, snapshot.get()).c_str(), L"services.exe") == 0;
}

std::optional<std::wstring> installService(const ServiceRegistration& registration) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager.valid()) return lastErrorMessage();
    const ServiceHandle service(CreateServiceW(manager.get(), registration.name.c_str(), registration.displayName.c_str(),
                                               SERVICE_CHANGE_CONFIG | DELETE, SERVICE_WIN32_OWN_PROCESS,
                                               SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, registration.command.c_str(),
                                               nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service.valid()) return lastErrorMessage();
    if (registration.description.empty()) return std::nullopt;
    std::wstring description = registration.description;
    SERVICE_DESCRIPTIONW text{description.data()};
    if (ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, &text)) return std::nullopt;
    // A failed install leaves nothing behind: the service without its description is removed again.
    std::optional<std::wstring> failure = lastErrorMessage();
    DeleteService(service.get());
    return failure;
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

std::optional<std::wstring> uninstallService(const std::wstring& name) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager.valid()) return lastErrorMessage();
    const ServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service.valid()) return lastErrorMessage();
    if (std::optional<std::wstring> failure = stopService(service.get())) return failure;
    if (!DeleteService(service.get())) return lastErrorMessage();
    return std::nullopt;
}

// The running service's side of the dispatch. Process-wide, since the system's callbacks carry no
// context of ours; a process runs one service.
std::atomic<ServiceMainFunction> runningMain{nullptr};
std::atomic<ServiceStopFunction> runningStop{nullptr};
std::atomic<SERVICE_STATUS_HANDLE> statusHandle{nullptr};
std::atomic<DWORD> checkPoint{0};

DWORD WINAPI handleControl(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        runningStop.load()();
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// The system calls this on a thread of its own with the service's name first among `arguments`.
void WINAPI serviceMain(DWORD count, LPWSTR* arguments) {
    const std::wstring name = count > 0 ? arguments[0] : L"";
    statusHandle = RegisterServiceCtrlHandlerExW(name.c_str(), handleControl, nullptr);
    if (statusHandle.load() == nullptr) return;
    runningMain.load()(name);
}

std::optional<std::wstring> dispatchService(ServiceMainFunction main, ServiceStopFunction stop) {
    runningMain = main;
    runningStop = stop;
    // The name is ignored for a service that has a process of its own.
    wchar_t name[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{name, serviceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) return lastErrorMessage();
    return std::nullopt;
}

DWORD systemState(ServiceState state) {
    switch (state) {
    case ServiceState::startPending: return SERVICE_START_PENDING;
    case ServiceState::running: return SERVICE_RUNNING;
    case ServiceState::stopPending: return SERVICE_STOP_PENDING;
    case ServiceState::stopped: break;
    }
    return SERVICE_STOPPED;
}

void reportServiceStatus(ServiceState state, std::uint32_t exitCode, std::uint32_t waitHintMilliseconds) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = systemState(state);
    status.dwControlsAccepted = state == ServiceState::running ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = exitCode;
    const bool pending = state == ServiceState::startPending || state == ServiceState::stopPending;
    status.dwCheckPoint = pending ? ++checkPoint : 0;
    status.dwWaitHint = pending ? waitHintMilliseconds : 0;
    SetServiceStatus(statusHandle.load(), &status);
}

void logEventError(const std::wstring& source, const std::wstring& message) {
    const HANDLE eventSource = RegisterEventSourceW(nullptr, source.c_str());
    if (eventSource == nullptr) return;
    const wchar_t* strings[] = {message.c_str()};
    ReportEventW(eventSource, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(eventSource);
}

}  // namespace

const ServiceControlManager& systemServiceControlManager() {
    static const ServiceControlManager manager{startedByServicesProcess, installService,       uninstallService,
                                               dispatchService,          reportServiceStatus,  logEventError};
    return manager;
}

}  // namespace platform
