// File helpers shared by the whole launcher.
#pragma once

#include <string>

// True when the platform's find-first search for the unchanged path finds an entry (a file or a
// folder; a pattern with wildcards counts when it matches). A path ending in a separator is not
// found.
bool fileExists(const std::wstring& path);
