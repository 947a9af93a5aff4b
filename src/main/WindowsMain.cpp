// The windowed program's entry point on Windows: failures show in a message box, and a configured
// service is refused.
#include "launcher/Launcher.h"
#include "main/CommandLine.h"
#include "platform/win32/Win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return runLauncher(launcherArguments());
}
