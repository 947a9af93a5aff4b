// The wexal-brand program: brands a copy of one of our Windows launchers.
#pragma once

#include <string>
#include <vector>

// Runs the program with `arguments` (without the program's name): reads INPUT and the icon, brands
// the launcher and writes OUTPUT through a temporary file beside it, renamed into place, so that
// OUTPUT is complete or untouched. Returns the exit code: 0 on success, 1 after a message on the
// standard error stream.
int runBrandTool(const std::vector<std::wstring>& arguments);
