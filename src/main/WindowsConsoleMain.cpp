// The console program's entry point on Windows: the console's standard streams, failures on the
// standard error stream, and Windows services.
#include "main/CommandLine.h"
#include "platform/ServiceControl.h"
#include "service/ServiceRunner.h"

int wmain(int, wchar_t**) {
    const std::vector<std::wstring> arguments = launcherArguments();
    const platform::ServiceControlManager& manager = platform::systemServiceControlManager();
    if (const std::optional<int> served = runAsService(arguments, manager)) return *served;
    return runConsoleLauncher(arguments, manager);
}
