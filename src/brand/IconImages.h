// The images of an application icon, from an icon file (.ico) or a PNG image, and the icon group
// resource that lists them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One image of an icon, with the fields of its directory entry that the icon group repeats.
struct IconImage {
    std::uint8_t width;   // 0 for 256 pixels
    std::uint8_t height;  // 0 for 256 pixels
    std::uint8_t colorCount;
    std::uint8_t reserved;
    std::uint16_t planes;
    std::uint16_t bitCount;
    std::string data;  // the image exactly as the file holds it (a BMP without file header, or a PNG)
};

// The images of `file`: every image of an icon file in its order, or a PNG image as the one image
// (stored as PNG, which Windows reads in icons since Vista). Throws BrandError for anything else,
// for a damaged or empty icon file, and for a PNG larger than 256x256 pixels.
std::vector<IconImage> readIconImages(std::string_view file);

// The data of an icon group resource that lists `images`, the first stored as icon resource
// `firstId`, the next as `firstId` + 1, and so on.
std::string iconGroupData(const std::vector<IconImage>& images, std::uint16_t firstId);
