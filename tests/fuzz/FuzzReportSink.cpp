// The error sink of the fuzz targets: throws the report instead of ending the process.
#include "FuzzReport.h"
#include "report/ReportSink.h"

void endWithErrorReport(const std::wstring& text) {
    throw FuzzReport{text};
}
