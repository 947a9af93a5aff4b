// The launcher's argument list on Windows, taken from the process's whole command line, shared by
// the windowed and the console entry points.
#pragma once

#include <string>
#include <vector>

// The arguments of `commandLine` after the program name, split by the system's rules (quotes and
// backslashes alike for every argument; empty arguments kept). Ends the process through the error
// report when the system cannot split it (memory exhausted).
std::vector<std::wstring> argumentsAfterProgramName(const std::wstring& commandLine);

// The launcher's argument list: the executable's full path, then the process's command-line
// arguments in order.
std::vector<std::wstring> launcherArguments();
