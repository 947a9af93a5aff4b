// The version resource (VS_VERSIONINFO) that a file's Properties show: its fixed version numbers
// and the texts of its string tables, read and changed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What branding changes in a version resource.
struct VersionEdits {
    // The four figures of both the file and the product version, when they change.
    std::optional<std::array<std::uint16_t, 4>> figures;
    // Texts (name, value) set in every string table, added to a table that lacks the name.
    std::vector<std::pair<std::u16string, std::u16string>> texts;
};

// The text `name` of the first string table that holds it; empty when none does. Throws BrandError
// when `resource` is damaged.
std::optional<std::u16string> versionText(std::string_view resource, std::u16string_view name);

// `resource` with `edits` applied, everything else kept. Throws BrandError when it is damaged or
// has no fixed file information while the figures change.
std::string editVersionResource(std::string_view resource, const VersionEdits& edits);
