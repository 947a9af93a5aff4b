// Reading icon files and PNG images, and writing icon groups.
#include "brand/IconImages.h"

#include "brand/BrandError.h"
#include "brand/Bytes.h"
#include "util/Text.h"

namespace {

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);
constexpr std::uint32_t kMaxIconSide = 256;
constexpr std::size_t kIconDirectorySize = 6;
constexpr std::size_t kIconEntrySize = 16;

std::uint32_t bigEndianU32(const ByteView& bytes, std::size_t offset) {
    return std::uint32_t{bytes.u8(offset)} << 24 | std::uint32_t{bytes.u8(offset + 1)} << 16 |
           std::uint32_t{bytes.u8(offset + 2)} << 8 | bytes.u8(offset + 3);
}

// The side of an icon image as its directory entry holds it.
std::uint8_t entrySide(std::uint32_t pixels) {
    return static_cast<std::uint8_t>(pixels == kMaxIconSide ? 0 : pixels);
}

std::vector<IconImage> readPng(std::string_view file) {
    const ByteView bytes(file, L"the PNG image");
    if (bytes.bytes(12, 4) != "IHDR") {
        throw BrandError{L"the PNG image is damaged (it does not start with its header)."};
    }
    const std::uint32_t width = bigEndianU32(bytes, 16);
    const std::uint32_t height = bigEndianU32(bytes, 20);
    if (width == 0 || height == 0 || width > kMaxIconSide || height > kMaxIconSide) {
        throw BrandError{L"the PNG image is " + toDecimal(width) + L"x" + toDecimal(height) +
                         L" pixels; an icon image can be at most 256x256."};
    }
    return {IconImage{entrySide(width), entrySide(height), 0, 0, 1, 32, std::string(file)}};
}

std::vector<IconImage> readIco(const ByteView& bytes) {
    const std::size_t count = bytes.u16(4);
    if (count == 0) throw BrandError{L"the icon file holds no image."};
    std::vector<IconImage> images;
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kIconDirectorySize + i * kIconEntrySize;
        const std::uint32_t size = bytes.u32(entry + 8);
        total += size;
        // Images that share bytes: no icon writer makes them, and a file could claim gigabytes.
        if (total > bytes.size()) throw BrandError{L"the icon file is damaged (its images overlap)."};
        images.push_back(IconImage{bytes.u8(entry), bytes.u8(entry + 1), bytes.u8(entry + 2), bytes.u8(entry + 3),
                                   bytes.u16(entry + 4), bytes.u16(entry + 6),
                                   std::string(bytes.bytes(bytes.u32(entry + 12), size))});
    }
    return images;
}

}  // namespace

std::vector<IconImage> readIconImages(std::string_view file) {
    if (file.substr(0, kPngSignature.size()) == kPngSignature) return readPng(file);
    const ByteView bytes(file, L"the icon file");
    if (file.size() < kIconDirectorySize || bytes.u16(0) != 0 || bytes.u16(2) != 1) {
        throw BrandError{L"the file is neither an icon file (.ico) nor a PNG image."};
    }
    return readIco(bytes);
}

std::string iconGroupData(const std::vector<IconImage>& images, std::uint16_t firstId) {
    std::string group;
    appendU16(group, 0);
    appendU16(group, 1);
    appendU16(group, static_cast<std::uint16_t>(images.size()));
    std::uint16_t id = firstId;
    for (const IconImage& image : images) {
        group += static_cast<char>(image.width);
        group += static_cast<char>(image.height);
        group += static_cast<char>(image.colorCount);
        group += static_cast<char>(image.reserved);
        appendU16(group, image.planes);
        appendU16(group, image.bitCount);
        appendU32(group, static_cast<std::uint32_t>(image.data.size()));
        appendU16(group, id++);
    }
    return group;
}
