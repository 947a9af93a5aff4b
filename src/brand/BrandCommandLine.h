// The command line of wexal-brand.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "brand/VersionResource.h"

// What the command line asks for.
struct BrandRequest {
    std::wstring input;
    std::wstring output;
    std::optional<std::wstring> icon;  // an .ico file or a PNG image
    VersionEdits version;
    std::optional<std::string> executionLevel;
};

// The synopsis that a wrong command line is answered with.
extern const wchar_t* const kBrandUsage;

// The request of `arguments` (the program's arguments, without its name). An option given twice
// counts with its last value. Throws BrandError, its reason ending in the synopsis, for anything
// but two files and known options with valid values.
BrandRequest parseBrandArguments(const std::vector<std::wstring>& arguments);
