// The console control trap's handler: which events reach Java's initiateExit, which are answered
// here and which are passed on.
#include "launcher/ConsoleTrap.h"

#include "launcher/JVMLauncher.h"
#include "platform/ConsoleEvents.h"

bool consoleCtrlHandler(unsigned event) {
    switch (event) {
    case platform::kCtrlC:
    case platform::kCtrlBreak:
    case platform::kClose:
    case platform::kShutdown:
        JVMLauncher::callInitiateExit();
        return true;
    case platform::kLogoff:
        return true;
    default:
        return false;
    }
}
