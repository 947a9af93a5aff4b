// Rewriting the section table, the headers and the checksum around a new resource section.
#include "brand/ResourceSection.h"

#include <algorithm>

#include "brand/BrandError.h"
#include "brand/Bytes.h"

namespace {

constexpr std::size_t kSectionHeaderSize = 40;
// Initialised data, readable: what resource compilers give a resource section.
constexpr std::uint32_t kResourceSectionFlags = 0x40000040;
constexpr std::uint64_t kMaxImageEnd = 0xFFFFFFFF;

// Where the new resource section goes.
struct Placement {
    std::size_t header;       // file offset of its section table entry
    std::uint32_t rva;        // its address in the image
    std::uint32_t rawPointer; // its data's offset in the file
    bool added;               // a new entry of the section table
};

// True when the resource directory fills a section that ends both the image and the file, so that
// the section can simply be replaced.
bool endsImageAndFile(const PeSection& section, std::uint32_t directoryRva, const PeLayout& layout,
                      std::size_t fileSize) {
    const bool lastInImage = std::all_of(layout.sections.begin(), layout.sections.end(), [&](const PeSection& other) {
        return &other == &section || other.virtualAddress < section.virtualAddress;
    });
    return section.name == ".rsrc" && section.virtualAddress == directoryRva && lastInImage &&
           std::uint64_t{section.rawPointer} + section.rawSize == fileSize;
}

std::uint64_t imageEnd(const PeLayout& layout) {
    std::uint64_t end = 0;
    for (const PeSection& section : layout.sections) {
        const std::uint64_t extent = std::max(section.virtualSize, section.rawSize);
        end = std::max(end, alignUp(section.virtualAddress + extent, layout.sectionAlignment));
    }
    return end;
}

// The place of a new entry after the section table: in the headers, before any section's data, and
// unused (all zero).
std::size_t newSectionHeader(std::string_view file, const PeLayout& layout) {
    const std::size_t header = layout.sectionTableOffset + layout.sections.size() * kSectionHeaderSize;
    std::uint64_t firstData = layout.sizeOfHeaders;
    for (const PeSection& section : layout.sections) {
        if (section.rawSize != 0) firstData = std::min<std::uint64_t>(firstData, section.rawPointer);
    }
    const bool fits = layout.sections.size() < 0xFFFF && header + kSectionHeaderSize <= firstData &&
                      header + kSectionHeaderSize <= file.size();
    if (!fits || file.substr(header, kSectionHeaderSize).find_first_not_of('\0') != std::string_view::npos) {
        throw BrandError{L"the file's headers have no room for another section."};
    }
    return header;
}

Placement placeResources(std::string_view file, const PeLayout& layout) {
    const std::uint32_t directoryRva = dataDirectory(file, layout, kResourceDirectory).address;
    const PeSection* current = sectionAt(layout, directoryRva);
    if (directoryRva != 0 && current && endsImageAndFile(*current, directoryRva, layout, file.size())) {
        return {current->headerOffset, current->virtualAddress, current->rawPointer, false};
    }
    const std::uint64_t rva = imageEnd(layout);
    const std::uint64_t rawPointer = alignUp(file.size(), layout.fileAlignment);
    if (rva > kMaxImageEnd || rawPointer > kMaxImageEnd) {
        throw BrandError{L"the file is damaged (its image is too large)."};
    }
    return {newSectionHeader(file, layout), static_cast<std::uint32_t>(rva),
            static_cast<std::uint32_t>(rawPointer), true};
}

void writeSectionHeader(std::string& file, const Placement& place, std::uint32_t size, std::uint32_t rawSize) {
    std::string header(".rsrc\0\0\0", 8);
    appendU32(header, size);
    appendU32(header, place.rva);
    appendU32(header, rawSize);
    appendU32(header, place.rawPointer);
    header.append(12, '\0');  // no relocations, no line numbers
    appendU32(header, kResourceSectionFlags);
    file.replace(place.header, header.size(), header);
}

}  // namespace

std::string withResources(std::string_view file, const PeLayout& layout, const std::vector<Resource>& resources) {
    if (layout.directoryCount <= kResourceDirectory) {
        throw BrandError{L"the file's headers have no resource directory entry."};
    }
    const Placement place = placeResources(file, layout);
    const std::string section = writeResourceSection(resources, place.rva);
    const std::uint64_t end = alignUp(std::uint64_t{place.rva} + section.size(), layout.sectionAlignment);
    if (end > kMaxImageEnd) throw BrandError{L"the file is damaged (its image is too large)."};

    std::string result(file.substr(0, std::min<std::size_t>(place.rawPointer, file.size())));
    result.resize(place.rawPointer, '\0');
    result += section;
    padTo(result, layout.fileAlignment);
    const auto size = static_cast<std::uint32_t>(section.size());
    writeSectionHeader(result, place, size, static_cast<std::uint32_t>(result.size() - place.rawPointer));
    if (place.added) putU16(result, layout.sectionCountOffset, static_cast<std::uint16_t>(layout.sections.size() + 1));
    putU32(result, layout.directoriesOffset + kResourceDirectory * 8, place.rva);
    putU32(result, layout.directoriesOffset + kResourceDirectory * 8 + 4, size);
    putU32(result, layout.sizeOfImageOffset, static_cast<std::uint32_t>(end));
    putU32(result, layout.checksumOffset, peChecksum(result, layout.checksumOffset));
    return result;
}
