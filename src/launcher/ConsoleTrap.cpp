#include "launcher/ConsoleTrap.h"

#include "launcher/JVMLauncher.h"
#include "platform/ConsoleEvents.h"

namespace {

enum class Answer { callJavaAndHandle, handle, passOn };

Answer answerTo(unsigned event) {
    switch (event) {
    case platform::kCtrlC:
    case platform::kCtrlBreak:
    case platform::kClose:
    case platform::kShutdown:
        return Answer::callJavaAndHandle;
    case platform::kLogoff:
        return Answer::handle;
    default:
        return Answer::passOn;
    }
}

}  // namespace

bool consoleCtrlHandler(unsigned event) {
    const Answer answer = answerTo(event);
    if (answer != Answer::callJavaAndHandle) return answer == Answer::handle;
    if (JVMLauncher* launcher = currentLauncher.load()) launcher->callInitiateExit();
    return true;
}
