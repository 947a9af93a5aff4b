// Reading the headers of a Windows executable, every field checked against the file's bounds.
#include "brand/PeFile.h"

#include "brand/BrandError.h"
#include "brand/Bytes.h"

namespace {

constexpr std::uint16_t kPe32 = 0x10B;
constexpr std::uint16_t kPe32Plus = 0x20B;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kCoffHeaderSize = 20;

[[noreturn]] void damaged(const wchar_t* what) {
    throw BrandError{std::wstring(L"the file is damaged (") + what + L")."};
}

bool isPowerOfTwo(std::uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

std::size_t peHeaderOffset(const ByteView& bytes) {
    if (bytes.size() < 0x40 || bytes.bytes(0, 2) != "MZ") {
        throw BrandError{L"the file is not a Windows executable."};
    }
    const std::size_t offset = bytes.u32(0x3C);
    if (offset > bytes.size() || bytes.size() - offset < 4 || bytes.bytes(offset, 4) != std::string_view("PE\0\0", 4)) {
        throw BrandError{L"the file is not a Windows executable (it has no PE header)."};
    }
    return offset;
}

void readOptionalHeader(const ByteView& bytes, std::size_t optional, std::size_t optionalSize, PeLayout& layout) {
    const std::uint16_t magic = bytes.u16(optional);
    if (magic != kPe32 && magic != kPe32Plus) throw BrandError{L"the file is not a 32- or 64-bit Windows executable."};
    const std::size_t directories = optional + (magic == kPe32 ? 96 : 112);
    if (optionalSize < directories - optional) damaged(L"its optional header is too short");
    layout.sizeOfImageOffset = optional + 56;
    layout.checksumOffset = optional + 64;
    layout.sectionAlignment = bytes.u32(optional + 32);
    layout.fileAlignment = bytes.u32(optional + 36);
    layout.sizeOfHeaders = bytes.u32(optional + 60);
    layout.directoriesOffset = directories;
    const std::uint32_t declared = bytes.u32(directories - 4);
    const std::uint32_t room = static_cast<std::uint32_t>((optionalSize - (directories - optional)) / 8);
    layout.directoryCount = declared < room ? declared : room;
    if (!isPowerOfTwo(layout.fileAlignment) || !isPowerOfTwo(layout.sectionAlignment) ||
        layout.fileAlignment > 0x10000 || layout.sectionAlignment < layout.fileAlignment) {
        damaged(L"its alignments are impossible");
    }
}

PeSection readSection(const ByteView& bytes, std::size_t header) {
    std::string_view name = bytes.bytes(header, 8);
    name = name.substr(0, name.find('\0'));
    const PeSection section{header,
                            name,
                            bytes.u32(header + 8),
                            bytes.u32(header + 12),
                            bytes.u32(header + 16),
                            bytes.u32(header + 20)};
    if (section.rawSize != 0) bytes.bytes(section.rawPointer, section.rawSize);
    return section;
}

}  // namespace

PeLayout readPeLayout(std::string_view file) {
    const ByteView bytes(file, L"the file");
    const std::size_t coff = peHeaderOffset(bytes) + 4;
    PeLayout layout{};
    layout.sectionCountOffset = coff + 2;
    const std::uint16_t sectionCount = bytes.u16(coff + 2);
    const std::uint16_t optionalSize = bytes.u16(coff + 16);
    const std::size_t optional = coff + kCoffHeaderSize;
    bytes.bytes(optional, optionalSize);
    readOptionalHeader(bytes, optional, optionalSize, layout);
    layout.sectionTableOffset = optional + optionalSize;
    bytes.bytes(layout.sectionTableOffset, sectionCount * kSectionHeaderSize);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        layout.sections.push_back(readSection(bytes, layout.sectionTableOffset + i * kSectionHeaderSize));
    }
    return layout;
}

PeDirectory dataDirectory(std::string_view file, const PeLayout& layout, std::uint32_t index) {
    if (index >= layout.directoryCount) return {0, 0};
    const ByteView bytes(file, L"the file");
    const std::size_t entry = layout.directoriesOffset + std::size_t{index} * 8;
    return {bytes.u32(entry), bytes.u32(entry + 4)};
}

const PeSection* sectionAt(const PeLayout& layout, std::uint32_t rva) {
    for (const PeSection& section : layout.sections) {
        const std::uint32_t extent = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
        if (rva >= section.virtualAddress && rva - section.virtualAddress < extent) return &section;
    }
    return nullptr;
}

std::string_view imageBytes(std::string_view file, const PeLayout& layout, std::uint32_t rva, std::uint32_t size) {
    const PeSection* section = sectionAt(layout, rva);
    const std::uint32_t offset = section ? rva - section->virtualAddress : 0;
    if (!section || offset > section->rawSize || size > section->rawSize - offset) {
        damaged(L"a resource lies outside the sections' data");
    }
    return ByteView(file, L"the file").bytes(std::size_t{section->rawPointer} + offset, size);
}

std::uint32_t peChecksum(std::string_view file, std::size_t checksumOffset) {
    // The field's bytes count as 0 wherever it lies, also at an odd offset of a strange file.
    auto byteAt = [&](std::size_t i) -> std::uint32_t {
        return i >= file.size() || i - checksumOffset < 4 ? 0 : static_cast<unsigned char>(file[i]);
    };
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        sum += byteAt(i) | byteAt(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}
