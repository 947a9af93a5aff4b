// Placing a new resource section in a Windows executable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "brand/PeFile.h"
#include "brand/ResourceTree.h"

// `file` with `resources` as its resource directory, in a section of its own at the end of the
// image: the file's resource section itself when it is already the last section in the image and in
// the file (as in a branded copy), otherwise a new section after all others (the old one stays, no
// longer referred to). The section table, SizeOfImage, the resource data directory and the checksum
// follow. Throws BrandError when the headers have no room for another section entry.
std::string withResources(std::string_view file, const PeLayout& layout, const std::vector<Resource>& resources);
