// The console programs' top level: the install and uninstall options of a configured service, and
// the Java program run as a service of the system's service control manager.
#pragma once

#include <string>
#include <vector>

#include "platform/ServiceControl.h"

// The console program's launch for `arguments` (element 0 is the executable's full path). When the
// configuration names a service and the first argument is its install (uninstall) option, registers
// (removes) the service with `manager`, prints what was done and returns 0; otherwise runs the Java
// program in the console and returns 0 once it has ended. Failures, the manager's included, end the
// process through the error report (exit code 1).
int runConsoleLauncher(const std::vector<std::wstring>& arguments, const platform::ServiceControlManager& manager);

// Runs the Java program for `arguments` as the service that `manager` started, and returns 0 once
// the service has stopped: start pending, running once the configuration is loaded, stopped with
// exit code 0 when the program has ended. A stop request reports stop pending and calls the main
// class's initiateExit(0); a program that has not ended within the configured stop timeout is
// reported stopped (exit code 1) and the process ends. A failure is also written to the event log
// and reported as stopped with exit code 1 before the error report ends the process.
int runAsService(const std::vector<std::wstring>& arguments, const platform::ServiceControlManager& manager);
