// The service keys of a configuration as the values the service control manager and the service's
// log files take.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ServiceControl.h"

class Properties;

// The registration of the configured service, started by `command` from the executable at
// `executablePath`. Throws LaunchError naming the key for a value the system cannot take: an
// account that would need a password, an unknown start type, a restart delay that is no number of
// seconds, a path the manager cannot start (260 characters or more).
platform::ServiceRegistration serviceRegistration(const Properties& properties, const std::wstring& executablePath);

// Where a service's standard streams are written, and how much of them is kept.
struct ServiceLogSettings {
    std::wstring directory;    // a full path: wexal.service.log.dir below the home folder, <home>\logs by default
    std::uint64_t maxBytes;    // a file rolls over before it would grow beyond this (10 MB by default)
    std::uint32_t keepCount;   // rolled-over files kept (5 by default)
};

// The log settings of the configured service. Throws LaunchError naming the key for a size or a
// count that is no number.
ServiceLogSettings serviceLogSettings(const Properties& properties);
