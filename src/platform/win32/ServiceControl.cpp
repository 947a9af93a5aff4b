// The Windows service control manager: this process as a service, its state reports and event log.
#include "platform/ServiceControl.h"

#include <atomic>

#include "platform/win32/ServiceInstall.h"
#include "platform/win32/Win32.h"

#include <tlhelp32.h>

namespace platform {
namespace {

// The executable name of the process `processId`; empty when it is gone.
std::wstring processImageName(DWORD processId, const PROCESSENTRY32W& first, HANDLE snapshot) {
    PROCESSENTRY32W entry = first;
    do {
        if (entry.th32ProcessID == processId) return entry.szExeFile;
    } while (Process32NextW(snapshot, &entry));
    return L"";
}

// True when the process that created this one runs services.exe, found in a snapshot of every
// process: only then may the manager have started this process as a service.
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

// True when the process's token holds the service group, which the system gives every process it
// starts as a service.
bool tokenHoldsServiceGroup() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID serviceGroup = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_SERVICE_RID, 0, 0, 0, 0, 0, 0, 0, &serviceGroup)) return false;
    BOOL member = FALSE;
    const bool checked = CheckTokenMembership(nullptr, serviceGroup, &member);
    FreeSid(serviceGroup);
    return checked && member;
}

// The running service's side of the dispatch. Process-wide, since the system's callbacks carry no
// context of ours; a process runs one service.
std::atomic<ServiceMainFunction> runningMain{nullptr};
std::atomic<ServiceStopFunction> runningStop{nullptr};
std::atomic<SERVICE_STATUS_HANDLE> statusHandle{nullptr};

DWORD WINAPI handleControl(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_PRESHUTDOWN:
    // Only where the system knows no pre-shutdown, or when it let the pre-shutdown time run out.
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

DispatchResult dispatchService(ServiceMainFunction main, ServiceStopFunction stop) {
    // The dispatcher's own answer is the sound test, but Wine's takes seconds to give it; a program
    // started by hand has neither the service group nor services.exe
    // as its parent, and is spared the wait.
    if (!tokenHoldsServiceGroup() && !startedByServicesProcess()) return {false, std::nullopt};
    runningMain = main;
    runningStop = stop;
    // The name is ignored for a service that has a process of its own.
    wchar_t name[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{name, serviceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table)) return {true, std::nullopt};
    // Another program of services.exe's, such as a recovery action, runs as a program.
    if (GetLastError() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return {false, std::nullopt};
    return {true, win32::systemMessage(GetLastError())};
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

void reportServiceStatus(const ServiceStatus& report) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = systemState(report.state);
    const bool pending = report.state == ServiceState::startPending || report.state == ServiceState::stopPending;
    // A stop that comes while the service starts is remembered by the service, not refused.
    const bool acceptsStop = report.state == ServiceState::startPending || report.state == ServiceState::running;
    status.dwControlsAccepted = acceptsStop ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PRESHUTDOWN | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = report.exitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = report.exitCode;
    status.dwCheckPoint = pending ? report.checkPoint : 0;
    status.dwWaitHint = pending ? report.waitHintMilliseconds : 0;
    SetServiceStatus(statusHandle.load(), &status);
}

// The console launchers' message table (resources/messages.mc) words this event as its one string,
// and install registers the executable as the source's message file.
constexpr DWORD kMessageAsItIs = 1;

void logEventError(const std::wstring& source, const std::wstring& message) {
    const HANDLE eventSource = RegisterEventSourceW(nullptr, source.c_str());
    if (eventSource == nullptr) return;
    const wchar_t* strings[] = {message.c_str()};
    ReportEventW(eventSource, EVENTLOG_ERROR_TYPE, 0, kMessageAsItIs, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(eventSource);
}

}  // namespace

const ServiceControlManager& systemServiceControlManager() {
    static const ServiceControlManager manager{win32::installService, win32::uninstallService, dispatchService,
                                               reportServiceStatus, logEventError};
    return manager;
}

}  // namespace platform
