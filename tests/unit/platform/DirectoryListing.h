// A directory listing in a form that tests can compare whole.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/TextEncoding.h"

// The entries of `directory` (ending in a separator), sorted by name, a folder written as
// "name/"; empty when the listing cannot be started.
inline std::vector<std::string> sortedListing(const std::wstring& directory) {
    std::vector<std::string> names;
    platform::listDirectory(directory, [&](const platform::DirectoryEntry& entry) {
        names.push_back(toUtf8(entry.name) + (entry.isDirectory ? "/" : ""));
    });
    std::sort(names.begin(), names.end());
    return names;
}
