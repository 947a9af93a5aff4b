// The error report's texts and the handlers that turn failures into reports.
#include "report/ErrorReport.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "support/ReportedFailure.h"

namespace {

const std::wstring kBuiltInText = L"Error in Java launcher.";

std::function<void()> throwing(std::wstring message) {
    return [message] { throw LaunchError{message}; };
}

void throwOutOfMemory() {
    throw std::bad_alloc();
}

class ErrorReportTest : public testing::Test {
protected:
    ~ErrorReportTest() override {
        setDefaultErrorText(kBuiltInText);
        setShowErrorDetail(true);
    }
};

TEST_F(ErrorReportTest, ShowsTheDefaultTextABlankAndTheMessageWhenDetailIsOn) {
    const struct {
        std::wstring defaultText;
        bool showDetail;
        std::wstring shown;
    } cases[] = {
        {kBuiltInText, true, L"Error in Java launcher. Cannot create Java VM."},
        {kBuiltInText, false, L"Error in Java launcher."},
        {L"The tool could not start.", true, L"The tool could not start. Cannot create Java VM."},
        {L"The tool could not start.", false, L"The tool could not start."},
        {L"", true, L" Cannot create Java VM."},
        {L"", false, L""},
    };
    for (const auto& c : cases) {
        setDefaultErrorText(c.defaultText);
        setShowErrorDetail(c.showDetail);
        EXPECT_REPORT(showErrorAndExit(L"Cannot create Java VM."), c.shown);
    }
}

TEST_F(ErrorReportTest, ShowsTheDefaultTextAloneForTheDefaultReport) {
    setDefaultErrorText(L"The tool could not start.");
    EXPECT_REPORT(showDefaultErrorAndExit(), L"The tool could not start.");
}

TEST_F(ErrorReportTest, HandlersReportAWideMessageUnchangedOrTheirOwnText) {
    const std::wstring fixed = L"Error while launching program with JVM.";
    EXPECT_REPORT(reportFailures(fixed.c_str(), throwing(L"Cannot create Java VM.")), L"Error in Java launcher. Cannot create Java VM.");
    EXPECT_REPORT(reportFailures(fixed.c_str(), throwOutOfMemory), L"Error in Java launcher. " + fixed);
    EXPECT_REPORT(reportAnyFailureAs(fixed.c_str(), throwing(L"Cannot create Java VM.")), L"Error in Java launcher. " + fixed);
    EXPECT_REPORT(reportFailuresWithDefaultText(throwing(L"Cannot create Java VM.")), L"Error in Java launcher. Cannot create Java VM.");
}

TEST_F(ErrorReportTest, TopLevelStepsShowTheDefaultTextAloneForFailuresThatAreNoMessage) {
    EXPECT_REPORT(reportFailuresWithDefaultText(throwOutOfMemory), kBuiltInText);
}

}  // namespace
