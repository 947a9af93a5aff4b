// The launcher-entry test.
#include "config/PropertiesCustom.h"

#include "report/ErrorReport.h"
#include "util/Text.h"

bool PropertiesCustom::isCustom(const std::wstring& text) const {
    return reportFailures(L"Error checking if a property is custom.", [&text] { return startsWith(text, L"wexal"); });
}
