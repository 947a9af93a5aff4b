// The program's report sink: the platform's error box, then exit code 1.
#include "report/ReportSink.h"

#include <cstdlib>

#include "platform/ErrorBox.h"
#include "platform/Process.h"

void endWithErrorReport(const std::wstring& text) {
    platform::showErrorBox(platform::executablePath(), text);
    std::exit(1);
}
