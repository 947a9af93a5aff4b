// An in-memory registry that stands in for the system's at link time, for the tests of the
// registry layouts: keys hold text values, and a key exists when it or a key below it was set.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace jvmtest {

// Sets the value `name` of the key `path` below `root` in `view` to `text`.
void setRegistryValue(platform::RegistryRoot root, platform::RegistryView view, const std::wstring& path,
                      const std::wstring& name, const std::wstring& text);

// Removes every key.
void clearRegistry();

}  // namespace jvmtest
