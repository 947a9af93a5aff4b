// The configuration file beside the executable: its name and the reading of its entries. What
// the entries mean is for the passes that apply them (ConfigurationPasses.h).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "config/PropertyFileEntry.h"

class PropertiesFile {
public:
    // The file of the executable at `exePath`.
    explicit PropertiesFile(std::wstring exePath) : m_exePath(std::move(exePath)) {}
    virtual ~PropertiesFile() = default;

    // The executable's path with a final extension ".exe" (in any case) replaced by ".lap", or
    // with ".lap" appended when the last "." of the path starts anything else. Reports any failure
    // with "Error getting configuration file name.".
    std::wstring getConfigurationFileName();

    // Derives the name and reads the whole file into entries (decodeConfigurationText, then
    // readEntries). Reports "Could not open file <name>" when the file cannot be read, an over-long
    // line with its number, and any other failure of the reading with "Error loading properties
    // from configuration file.".
    std::vector<PropertyFileEntry> load();

private:
    std::wstring m_exePath;
};
