// The program's entry point on Windows: the executable's full path, then the arguments split
// from the command-line tail.
#include <string>
#include <vector>

#include "launcher/Launcher.h"
#include "platform/Process.h"
#include "platform/win32/Win32.h"
#include "report/ErrorReport.h"

#include <shellapi.h>

namespace {

// Appends the arguments of a non-empty command-line tail to `arguments`. The splitter is never
// given an empty text: for one it returns the executable's path instead of no arguments.
void appendSplitArguments(const std::wstring& tail, std::vector<std::wstring>& arguments) {
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(tail.c_str(), &count);
    // The splitter fails only when memory runs out.
    if (split == nullptr) showDefaultErrorAndExit();
    arguments.insert(arguments.end(), split, split + count);
    LocalFree(split);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLineTail, int) {
    const std::wstring tail = commandLineTail != nullptr ? commandLineTail : L"";
    std::vector<std::wstring> arguments{platform::executablePath()};
    if (!tail.empty()) appendSplitArguments(tail, arguments);
    return runLauncher(arguments);
}
