// The console programs' top level: the install and uninstall options of a configured service, and
// the Java program run as a service of the system's service control manager.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ServiceControl.h"

// The console program's launch for `arguments` (element 0 is the executable's full path). When the
// configuration names a service and the first argument is its install (uninstall) option, registers
// the service with all its configured settings (removes it) with `manager`, prints what was done and
// returns 0; otherwise runs the Java program in the console and returns 0 once it has ended. Failures, the manager's included, end the
// process through the error report (exit code 1).
int runConsoleLauncher(const std::vector<std::wstring>& arguments, const platform::ServiceControlManager& manager);

// Runs the Java program for `arguments` as the service that `manager` started, and returns 0 once
// the service has stopped; empty at once, having run nothing, when the manager did not start this
// process. Reports start pending, running once the configuration is loaded, stopped with exit code 0
// when the program has ended; pending states are reported again every second with the next
// checkpoint. The standard streams go to <name>.out.log and <name>.err.log in the configured log
// folder, rolled over by size. The first stop (or pre-shutdown, or shutdown) request reports stop
// pending and calls the main class's initiateExit(0) once main has been called; a request that
// comes before means main is never called and the service stops with exit code 0. A program that
// has not ended within the configured stop timeout is reported stopped (exit code 1) and the
// process ends. A failure is also written to the event log and the error log file and reported as
// stopped with exit code 1 before the error report ends the process.
std::optional<int> runAsService(const std::vector<std::wstring>& arguments, const platform::ServiceControlManager& manager);
