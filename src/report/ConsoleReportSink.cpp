// The console programs' report sink: one line "<executable path>: <text>" on the standard error
// stream, then exit code 1.
#include <cstdlib>

#include "platform/Process.h"
#include "platform/StandardStreams.h"
#include "report/ReportSink.h"

void endWithErrorReport(const std::wstring& text) {
    platform::writeErrorLine(platform::executablePath() + L": " + text);
    std::exit(1);
}
