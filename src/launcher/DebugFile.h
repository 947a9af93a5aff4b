// The debug file: the lines a launch records about the chosen VM and the configuration.
#pragma once

#include <string>

// Appends `text` as one line to the file `fileName`, creating it when missing; the file is opened
// and closed again for every line. A file that cannot be opened is skipped silently.
void appendDebugLine(const std::wstring& fileName, const std::wstring& text);
