// Reading and writing the three-level resource directory (type, name, language) of PE files.
#include "brand/ResourceTree.h"

#include <map>

#include "brand/BrandError.h"
#include "brand/Bytes.h"

namespace {

constexpr std::uint32_t kHighBit = 0x80000000;
constexpr std::size_t kDirectorySize = 16;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;

[[noreturn]] void damaged() {
    throw BrandError{L"the file is damaged (its resource directory is broken)."};
}

// Reads the tree below the resource directory, whose offsets all count from its start.
class TreeReader {
public:
    TreeReader(std::string_view file, const PeLayout& layout, std::string_view directory)
        : m_file(file), m_layout(layout), m_directory(directory, L"the resource directory"), m_budget(file.size()) {}

    std::vector<Resource> read() {
        visit(0, 0, Resource{});
        return std::move(m_resources);
    }

private:
    // Visits the directory at `offset` of tree level `level` (0 types, 1 names, 2 languages), with
    // the keys of the levels above filled in `partial`.
    void visit(std::size_t offset, int level, const Resource& partial) {
        const std::size_t count = std::size_t{m_directory.u16(offset + 12)} + m_directory.u16(offset + 14);
        for (std::size_t i = 0; i < count; ++i) {
            spend(kEntrySize);
            const std::size_t entry = offset + kDirectorySize + i * kEntrySize;
            const std::uint32_t target = m_directory.u32(entry + 4);
            const bool isDirectory = (target & kHighBit) != 0;
            if (isDirectory != (level < 2)) damaged();
            Resource resource = partial;
            const ResourceKey key = readKey(m_directory.u32(entry));
            if (level == 0) resource.type = key;
            if (level == 1) resource.name = key;
            if (level == 2) {
                if (!key.text.empty()) damaged();
                resource.language = key.id;
                readData(target, resource);
                continue;
            }
            visit(target & ~kHighBit, level + 1, resource);
        }
    }

    ResourceKey readKey(std::uint32_t field) {
        if ((field & kHighBit) == 0) {
            if (field > 0xFFFF) damaged();
            return ResourceKey{static_cast<std::uint16_t>(field), {}};
        }
        const std::size_t offset = field & ~kHighBit;
        const std::size_t length = m_directory.u16(offset);
        if (length == 0) damaged();
        spend(2 * length);
        ResourceKey key;
        for (std::size_t i = 0; i < length; ++i) {
            key.text.push_back(static_cast<char16_t>(m_directory.u16(offset + 2 + 2 * i)));
        }
        return key;
    }

    void readData(std::size_t offset, Resource& resource) {
        const std::uint32_t rva = m_directory.u32(offset);
        const std::uint32_t size = m_directory.u32(offset + 4);
        spend(size);
        resource.codePage = m_directory.u32(offset + 8);
        resource.data = std::string(imageBytes(m_file, m_layout, rva, size));
        m_resources.push_back(std::move(resource));
    }

    // Entries, names and data of a sound tree each lie in bytes of their own, so reading it spends
    // no more than the file's size. A tree whose entries share subdirectories or data could
    // otherwise claim billions of resources in a few kilobytes.
    void spend(std::size_t bytes) {
        if (bytes > m_budget) damaged();
        m_budget -= bytes;
    }

    std::string_view m_file;
    const PeLayout& m_layout;
    ByteView m_directory;
    std::size_t m_budget;
    std::vector<Resource> m_resources;
};

using Languages = std::map<std::uint16_t, const Resource*>;
using Names = std::map<ResourceKey, Languages>;
using Types = std::map<ResourceKey, Names>;

std::size_t directorySize(std::size_t entries) {
    return kDirectorySize + entries * kEntrySize;
}

// The number of keys of a directory that are texts (which come first in it).
template <class Map>
std::size_t textKeys(const Map& entries) {
    std::size_t count = 0;
    for (const auto& entry : entries) count += entry.first.text.empty() ? 0 : 1;
    return count;
}

std::size_t keyTextSize(const ResourceKey& key) {
    return key.text.empty() ? 0 : 2 + 2 * key.text.size();
}

// Writes a section in one walk of the tree: the sizes of the tables and names are counted first, so
// that each piece goes straight to its final place.
class SectionWriter {
public:
    SectionWriter(const Types& types, std::uint32_t sectionRva) : m_types(types), m_rva(sectionRva) {
        std::size_t tables = directorySize(types.size());
        std::size_t names = 0;
        for (const auto& [type, byName] : types) {
            tables += directorySize(byName.size());
            names += keyTextSize(type);
            for (const auto& [name, byLanguage] : byName) {
                tables += directorySize(byLanguage.size()) + byLanguage.size() * kDataEntrySize;
                names += keyTextSize(name);
            }
        }
        m_section.assign(alignUp(tables + names, 8), '\0');
        m_namesEnd = tables;
    }

    std::string write() {
        const std::size_t root = allocateDirectory(textKeys(m_types), m_types.size());
        std::size_t entry = root + kDirectorySize;
        for (const auto& [type, byName] : m_types) {
            const std::size_t names = allocateDirectory(textKeys(byName), byName.size());
            writeEntry(entry, type, static_cast<std::uint32_t>(names) | kHighBit);
            entry += kEntrySize;
            writeNames(names, byName);
        }
        return std::move(m_section);
    }

private:
    void writeNames(std::size_t directory, const Names& byName) {
        std::size_t entry = directory + kDirectorySize;
        for (const auto& [name, byLanguage] : byName) {
            const std::size_t languages = allocateDirectory(0, byLanguage.size());
            writeEntry(entry, name, static_cast<std::uint32_t>(languages) | kHighBit);
            entry += kEntrySize;
            std::size_t languageEntry = languages + kDirectorySize;
            for (const auto& [language, resource] : byLanguage) {
                const auto dataEntry = static_cast<std::uint32_t>(writeDataEntry(*resource));
                writeEntry(languageEntry, ResourceKey{language, {}}, dataEntry);
                languageEntry += kEntrySize;
            }
        }
    }

    // Reserves a directory table of `entries` entries, `named` of them texts, at the next free
    // table offset and writes its header; the entries follow it.
    std::size_t allocateDirectory(std::size_t named, std::size_t entries) {
        const std::size_t offset = m_nextTable;
        m_nextTable += directorySize(entries);
        putU16(m_section, offset + 12, static_cast<std::uint16_t>(named));
        putU16(m_section, offset + 14, static_cast<std::uint16_t>(entries - named));
        return offset;
    }

    void writeEntry(std::size_t entry, const ResourceKey& key, std::uint32_t target) {
        const std::uint32_t name =
            key.text.empty() ? key.id : static_cast<std::uint32_t>(writeName(key.text)) | kHighBit;
        putU32(m_section, entry, name);
        putU32(m_section, entry + 4, target);
    }

    std::size_t writeName(const std::u16string& text) {
        std::string name;
        appendU16(name, static_cast<std::uint16_t>(text.size()));
        for (char16_t unit : text) appendU16(name, unit);
        m_section.replace(m_namesEnd, name.size(), name);
        m_namesEnd += name.size();
        return m_namesEnd - name.size();
    }

    std::size_t writeDataEntry(const Resource& resource) {
        const std::size_t entry = m_nextTable;
        m_nextTable += kDataEntrySize;
        padTo(m_section, 8);
        putU32(m_section, entry, static_cast<std::uint32_t>(m_rva + m_section.size()));
        putU32(m_section, entry + 4, static_cast<std::uint32_t>(resource.data.size()));
        putU32(m_section, entry + 8, resource.codePage);
        m_section += resource.data;
        return entry;
    }

    const Types& m_types;
    std::uint32_t m_rva;
    std::string m_section;
    std::size_t m_nextTable = 0;
    std::size_t m_namesEnd = 0;
};

}  // namespace

bool ResourceKey::operator<(const ResourceKey& other) const {
    const bool named = !text.empty();
    if (named != !other.text.empty()) return named;
    return named ? text < other.text : id < other.id;
}

std::vector<Resource> readResources(std::string_view file, const PeLayout& layout) {
    const PeDirectory directory = dataDirectory(file, layout, kResourceDirectory);
    if (directory.address == 0) return {};
    const PeSection* section = sectionAt(layout, directory.address);
    if (!section) damaged();
    const std::uint32_t offset = directory.address - section->virtualAddress;
    if (offset >= section->rawSize) damaged();
    const std::string_view tree = imageBytes(file, layout, directory.address, section->rawSize - offset);
    return TreeReader(file, layout, tree).read();
}

std::string writeResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva) {
    Types types;
    for (const Resource& resource : resources) types[resource.type][resource.name][resource.language] = &resource;
    return SectionWriter(types, sectionRva).write();
}
