// The resources of an executable as a flat list (type, name, language, data), read from the
// resource directory of a PE file and written back as the contents of a new resource section.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brand/PeFile.h"

// A resource type or name: a number, or a text when `text` is not empty.
struct ResourceKey {
    std::uint16_t id = 0;
    std::u16string text;

    // The order of a resource directory: texts first, by their code units, then numbers.
    bool operator<(const ResourceKey& other) const;
    bool operator==(const ResourceKey& other) const { return id == other.id && text == other.text; }
};

// One resource of one language.
struct Resource {
    ResourceKey type;
    ResourceKey name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    std::string data;
};

// The resource types branding works on.
constexpr std::uint16_t kIconType = 3;
constexpr std::uint16_t kIconGroupType = 14;
constexpr std::uint16_t kVersionType = 16;
constexpr std::uint16_t kManifestType = 24;

// Every resource of `file`, in directory order; empty when the file has no resource directory.
// Throws BrandError when the directory is damaged: entries or data outside the file, a tree that is
// not three levels deep, or more resources than any executable holds.
std::vector<Resource> readResources(std::string_view file, const PeLayout& layout);

// The bytes of a resource section that holds `resources` (in directory order, whatever their order
// in the list) when it is placed at the image address `sectionRva`: the directory tables, the data
// entries, the names, then the data, each item 8-byte aligned.
std::string writeResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva);
