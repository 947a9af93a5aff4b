// Linux has no service control manager of this kind: services are units of the init system, which
// runs the launcher as an ordinary program.
#include "platform/ServiceControl.h"

namespace platform {
namespace {

const wchar_t* const kNotSupported = L"Services are not supported on this system.";

std::optional<std::wstring> installNothing(const ServiceRegistration&) {
    return kNotSupported;
}

std::optional<std::wstring> uninstallNothing(const std::wstring&) {
    return kNotSupported;
}

// No process of this system is a service of such a manager.
DispatchResult dispatchNothing(ServiceMainFunction, ServiceStopFunction) {
    return {false, std::nullopt};
}

void reportNothing(const ServiceStatus&) {}

void logNothing(const std::wstring&, const std::wstring&) {}

}  // namespace

const ServiceControlManager& systemServiceControlManager() {
    static const ServiceControlManager manager{installNothing, uninstallNothing, dispatchNothing, reportNothing, logNothing};
    return manager;
}

}  // namespace platform
