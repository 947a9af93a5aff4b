// The execution level that an application manifest requests.
#pragma once

#include <string>
#include <string_view>

// `manifest` (XML, UTF-8) with the level attribute of its requestedExecutionLevel element set to
// `level`, every other byte kept. Throws BrandError when the manifest has no such attribute.
std::string withExecutionLevel(std::string_view manifest, std::string_view level);
