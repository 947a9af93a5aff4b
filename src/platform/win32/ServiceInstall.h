// Registering and removing a Windows service with all its settings (within the win32 platform).
#pragma once

#include <optional>
#include <string>

#include "platform/ServiceControl.h"

namespace platform::win32 {

// The system's text for the error code `error`, without its line end.
std::wstring systemMessage(unsigned long error);

// The install and uninstall of ServiceControlManager (see there).
std::optional<std::wstring> installService(const ServiceRegistration& registration);
std::optional<std::wstring> uninstallService(const std::wstring& name);

}  // namespace platform::win32
