// fileExists, answered by the platform layer's find-first search, and the relative-path test.
#include "util/Files.h"

#include <cwchar>

#include "platform/Files.h"
#include "platform/PathConventions.h"

namespace {

bool isPathSeparator(wchar_t c) {
    return c != L'\0' && std::wcschr(platform::kPathSeparators, c) != nullptr;
}

}  // namespace

bool fileExists(const std::wstring& path) {
    return platform::findsEntry(withoutTrailingSeparators(path));
}

std::wstring withoutTrailingSeparators(const std::wstring& path) {
    std::size_t length = path.size();
    while (length > 0 && isPathSeparator(path[length - 1])) --length;
    return path.substr(0, length);
}

bool isRelativePath(const std::wstring& path) {
    if (path.empty() || isPathSeparator(path[0])) return false;
    return !(platform::kPathsHaveDrives && path.size() >= 2 && path[1] == L':');
}
