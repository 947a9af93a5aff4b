// The one failure of the branding tool: why an input cannot be branded, as the user reads it.
#pragma once

#include <string>

// Thrown by every step of the branding that meets an input it cannot use. `reason` is a complete
// sentence without the file's name, which the tool puts in front of it.
struct BrandError {
    std::wstring reason;
};
