// Branding one of our Windows launchers: its icon, version resource and execution level replaced in
// a copy of its bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brand/IconImages.h"
#include "brand/VersionResource.h"

// What a branding changes; each part left empty keeps the launcher's own.
struct Branding {
    std::optional<std::vector<IconImage>> icon;  // the images of the new icon group
    VersionEdits version;
    std::optional<std::string> executionLevel;   // asInvoker, highestAvailable or requireAdministrator
};

// The text of InternalName in the version resource of every launcher, which branding keeps: the
// mark by which the tool knows its own launchers, also when they were branded before.
inline constexpr std::u16string_view kLauncherInternalName = u"Wexal";

// The bytes of the launcher `launcher` with `branding` applied (a new resource section, the headers
// and checksum to match). Throws BrandError when `launcher` is not a PE file, is damaged, carries a
// signature, or is not one of our launchers (no version resource with our InternalName).
std::string brandLauncher(std::string_view launcher, const Branding& branding);
