// The headers of a Windows executable (PE32 or PE32+) that branding reads and rewrites: the section
// table, the data directories and the checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// One entry of the section table.
struct PeSection {
    std::size_t headerOffset;  // file offset of the entry itself
    std::string_view name;     // up to 8 bytes, without the padding zeros
    std::uint32_t virtualSize;
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawPointer;
};

// Where the fields that branding touches lie, and what they held.
struct PeLayout {
    std::size_t sectionCountOffset;
    std::size_t sizeOfImageOffset;
    std::size_t checksumOffset;
    std::size_t directoriesOffset;  // of the data directory table
    std::uint32_t directoryCount;
    std::size_t sectionTableOffset;
    std::uint32_t sectionAlignment;
    std::uint32_t fileAlignment;
    std::uint32_t sizeOfHeaders;
    std::vector<PeSection> sections;
};

// A data directory: an address (relative to the image, or a file offset for the security
// directory) and a size; both 0 when the file has none.
struct PeDirectory {
    std::uint32_t address;
    std::uint32_t size;
};

// The indexes of the data directories branding uses.
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kSecurityDirectory = 4;

// The layout of the executable `file`. Throws BrandError when the file is no PE file, or when its
// headers or section table are damaged (outside the file, impossible alignments).
PeLayout readPeLayout(std::string_view file);

// The data directory `index` of `file`; {0, 0} when the table is shorter.
PeDirectory dataDirectory(std::string_view file, const PeLayout& layout, std::uint32_t index);

// The section whose address range holds `rva`; null when none does.
const PeSection* sectionAt(const PeLayout& layout, std::uint32_t rva);

// The `size` bytes of the image at `rva`, which must lie in one section's data in the file;
// throws BrandError otherwise.
std::string_view imageBytes(std::string_view file, const PeLayout& layout, std::uint32_t rva, std::uint32_t size);

// The checksum of the optional header for `file`, computed as Windows checks it: the 16-bit words
// of the file summed with end-around carry, the checksum field itself counted as 0, plus the
// file's length.
std::uint32_t peChecksum(std::string_view file, std::size_t checksumOffset);
