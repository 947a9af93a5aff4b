// The launcher's argument list on Windows. The whole command line is split and its first word
// dropped: the splitter reads a first word as a program name, without the quote and backslash rules
// that apply to every later word, so splitting only the tail would give the first argument other
// rules than the rest.
#include "main/CommandLine.h"

#include <algorithm>

#include "platform/Process.h"
#include "platform/win32/Win32.h"
#include "report/ErrorReport.h"

#include <shellapi.h>

std::vector<std::wstring> argumentsAfterProgramName(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(commandLine.c_str(), &count);
    if (split == nullptr) showDefaultErrorAndExit();
    // An empty command line splits into the executable's path alone, which is dropped too.
    std::vector<std::wstring> arguments(split + std::min(count, 1), split + count);
    LocalFree(split);
    return arguments;
}

std::vector<std::wstring> launcherArguments() {
    std::vector<std::wstring> arguments{platform::executablePath()};
    for (std::wstring& argument : argumentsAfterProgramName(GetCommandLineW())) arguments.push_back(std::move(argument));
    return arguments;
}
