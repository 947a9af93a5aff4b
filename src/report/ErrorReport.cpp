// The error report: the process-wide default text and detail switch, and the report that ends
// the process.
#include "report/ErrorReport.h"

#include <atomic>

#include "report/ReportSink.h"

namespace {

// Process-wide, written only on the main thread while the configuration is applied.
std::wstring defaultErrorText = L"Error in Java launcher.";
bool showErrorDetail = true;
std::atomic<ReportListener> reportListener{nullptr};

[[noreturn]] void endWith(const std::wstring& text) {
    if (const ReportListener listener = reportListener.load()) listener(text);
    endWithErrorReport(text);
}

}  // namespace

void showErrorAndExit(const std::wstring& message) {
    endWith(showErrorDetail ? defaultErrorText + L" " + message : defaultErrorText);
}

void showErrorAndExit(const wchar_t* message) {
    showErrorAndExit(std::wstring(message));
}

void showDefaultErrorAndExit() {
    endWith(defaultErrorText);
}

void reportCurrentFailure(const wchar_t* fixedText) {
    try {
        throw;
    } catch (const LaunchError& error) {
        showErrorAndExit(error.message);
    } catch (...) {
        if (fixedText == nullptr) showDefaultErrorAndExit();
        showErrorAndExit(fixedText);
    }
}

void setReportListener(ReportListener listener) {
    reportListener = listener;
}

void setDefaultErrorText(const std::wstring& text) {
    defaultErrorText = text;
}

void setShowErrorDetail(bool show) {
    showErrorDetail = show;
}
