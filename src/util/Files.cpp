// fileExists, answered by the platform layer's find-first search.
#include "util/Files.h"

#include "platform/Files.h"

bool fileExists(const std::wstring& path) {
    return platform::findsEntry(path);
}
