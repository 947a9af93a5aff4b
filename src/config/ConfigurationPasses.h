// The configuration's keys and the passes that apply the file's entries to the model, around the
// choice of the Java VM.
#pragma once

#include <vector>

#include "config/PropertyFileEntry.h"

class Properties;

// Reads the configuration file of the executable that `properties` names (PropertiesFile) and
// applies its entries; nothing is applied unless the whole file was read. Reports its failures
// with "Error loading properties." unless a step reported them itself; throws LaunchError when
// the applied file sets no main class: "The configuration file <name> sets no wexal.main.class.".
void loadConfiguration(Properties& properties);

// Applies every entry once, in passes: launcher entries without variables, launcher entries with
// variables, other entries without, other entries with variables; then the JVM choice; then
// launcher and other entries that refer to the chosen VM. Within a pass, file order. Reports
// failures of the passes themselves with "Error loading properties from configuration file.".
void applyEntries(Properties& properties, std::vector<PropertyFileEntry>& entries);

// Expands the entry's text in place, then applies it: a text beginning with "-" is a VM option,
// anything else a key and its value; unknown keys are ignored. Reports failures not reported by
// the operation it calls with "Error processing property.".
void processProperty(Properties& properties, PropertyFileEntry& entry);
