// Where a finished error report goes. Each program links its sink: the windowed one a message box
// (stderr on Linux), the console ones a line on stderr (ConsoleReportSink.cpp), then exit code 1;
// unit tests link one that throws what would have been shown.
#pragma once

#include <string>

// Shows `text` with the executable's path as caption and ends the process with exit code 1
// through the runtime's normal exit.
[[noreturn]] void endWithErrorReport(const std::wstring& text);
