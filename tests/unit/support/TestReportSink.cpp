#include <exception>

#include "report/ReportSink.h"
#include "support/ReportedFailure.h"

// The first report of a failure wins: while its ReportedFailure travels up, handlers further out
// report again (in the program they never would, since the first report ends the process), and
// those reports let the first one go on.
void endWithErrorReport(const std::wstring& text) {
    if (std::exception_ptr inFlight = std::current_exception()) {
        try {
            std::rethrow_exception(inFlight);
        } catch (const ReportedFailure&) {
            throw;
        } catch (...) {
        }
    }
    throw ReportedFailure{text};
}
