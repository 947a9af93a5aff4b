// The configuration file beside the executable: its name, the reading of its entries and their
// application to the launch configuration, in passes around the choice of the Java VM.
#pragma once

#include <string>
#include <vector>

#include "config/PropertyFileEntry.h"

class Properties;

class PropertiesFile {
public:
    // `properties` receives the configuration and outlives this object.
    explicit PropertiesFile(Properties& properties) : m_properties(properties) {}
    virtual ~PropertiesFile() = default;

    // The executable's path with a final extension ".exe" (in any case) replaced by ".lap", or
    // with ".lap" appended when the last "." of the path starts anything else. Reports any failure
    // with "Error getting configuration file name.".
    std::wstring getConfigurationFileName();

    // Derives the name, reads the whole file into entries (decodeConfigurationText), then applies
    // them. Reports "Could not open file <name>" when the file cannot be read, an over-long line
    // with its number, and any other failure of the reading with "Error loading properties from
    // configuration file.". Nothing is applied unless the whole file was read. Throws LaunchError
    // when the applied file sets no main class: "The configuration file <name> sets no
    // wexal.main.class.".
    void load();

    // Applies every entry once, in passes: launcher entries without variables, launcher entries
    // with variables, other entries without, other entries with variables; then the JVM choice;
    // then launcher and other entries that refer to the chosen VM. Within a pass, file order.
    // Reports failures of the passes themselves with "Error loading properties from
    // configuration file.".
    void applyEntries(std::vector<PropertyFileEntry>& entries);

    // Expands the entry's text in place, then applies it: a text beginning with "-" is a VM
    // option, anything else a key and its value; unknown keys are ignored. Reports failures not
    // reported by the operation it calls with "Error processing property.".
    void processProperty(PropertyFileEntry& entry);

private:
    std::wstring m_configurationFileName;
    Properties& m_properties;
};
