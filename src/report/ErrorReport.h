// The one error report through which every failure ends the process, and the handlers with which
// operations turn failures into reports.
#pragma once

#include <string>
#include <utility>

// A failure: a wide message for the user. Thrown by any operation, reported unchanged by the
// nearest operation that catches it.
struct LaunchError {
    std::wstring message;
};

// Shows the default error text, a blank and `message` (or the default text alone when detail is
// off) under the executable's path, then ends the process with exit code 1.
[[noreturn]] void showErrorAndExit(const std::wstring& message);
// The same for a fixed text: one call where it is given, without a string built there.
[[noreturn]] void showErrorAndExit(const wchar_t* message);

// Shows the default error text alone, then ends the process with exit code 1.
[[noreturn]] void showDefaultErrorAndExit();

// Told every report's text just before the sink shows it and the process ends; null (the
// default) tells no one. A service also writes its reports to the system's event log.
using ReportListener = void (*)(const std::wstring& text);
void setReportListener(ReportListener listener);

// Set while the configuration file is applied; a report made before uses the built-in values
// ("Error in Java launcher." with detail on).
void setDefaultErrorText(const std::wstring& text);
void setShowErrorDetail(bool show);

// Reports the failure being handled: a LaunchError unchanged, any other failure with `fixedText`,
// or with the default error text alone when `fixedText` is null. Called only from a handler; the
// handlers below share it, so that each of their many instances is one call.
[[noreturn]] void reportCurrentFailure(const wchar_t* fixedText);

// Runs `body`; a thrown LaunchError is reported unchanged, any other failure with `fixedText`.
template <class Body>
auto reportFailures(const wchar_t* fixedText, Body&& body) -> decltype(body()) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        reportCurrentFailure(fixedText);
    }
}

// Runs `body`; every failure, a LaunchError too, is reported with `fixedText`.
template <class Body>
auto reportAnyFailureAs(const wchar_t* fixedText, Body&& body) -> decltype(body()) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        showErrorAndExit(fixedText);
    }
}

// Runs `body`; a thrown LaunchError is reported unchanged, any other failure with the default
// error text alone.
template <class Body>
auto reportFailuresWithDefaultText(Body&& body) -> decltype(body()) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        reportCurrentFailure(nullptr);
    }
}
