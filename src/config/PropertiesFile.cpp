// Reading the configuration file into its entries.
#include "config/PropertiesFile.h"

#include <optional>

#include "config/ConfigurationText.h"
#include "platform/Files.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

namespace {

std::wstring configurationFileNameFor(const std::wstring& exePath) {
    // The last "." of the whole path, so a dotted folder and an extension-less name get ".lap" appended.
    const std::size_t dot = exePath.rfind(L'.');
    if (dot != std::wstring::npos && toUpperAscii(exePath.substr(dot)) == L".EXE") return exePath.substr(0, dot) + L".lap";
    return exePath + L".lap";
}

}  // namespace

std::wstring PropertiesFile::getConfigurationFileName() {
    return reportFailures(L"Error getting configuration file name.", [this] { return configurationFileNameFor(m_exePath); });
}

std::vector<PropertyFileEntry> PropertiesFile::load() {
    const std::wstring fileName = getConfigurationFileName();
    return reportFailures(L"Error loading properties from configuration file.", [&] {
        const std::optional<std::string> bytes = platform::readFileBytes(fileName);
        if (!bytes) throw LaunchError{L"Could not open file " + fileName};
        return readEntries(decodeConfigurationText(*bytes), fileName);
    });
}
