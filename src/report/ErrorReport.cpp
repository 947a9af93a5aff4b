// The error report: the process-wide default text and detail switch, and the report that ends
// the process.
#include "report/ErrorReport.h"

#include "report/ReportSink.h"

namespace {

// Process-wide, written only on the main thread while the configuration is applied.
std::wstring defaultErrorText = L"Error in Java launcher.";
bool showErrorDetail = true;

}  // namespace

void showErrorAndExit(const std::wstring& message) {
    endWithErrorReport(showErrorDetail ? defaultErrorText + L" " + message : defaultErrorText);
}

void showDefaultErrorAndExit() {
    endWithErrorReport(defaultErrorText);
}

void setDefaultErrorText(const std::wstring& text) {
    defaultErrorText = text;
}

void setShowErrorDetail(bool show) {
    showErrorDetail = show;
}
