// Helpers for tests of the class path and the library path: paths joined with the system's
// separator and the entries of a collected path list.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"

// `parts` joined with the system's path separator.
inline std::wstring joinPath(const std::vector<std::wstring>& parts) {
    std::wstring path;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) path += platform::kPathSeparator;
        path += parts[i];
    }
    return path;
}

// The entries of a collected list, which is empty or begins with the list separator.
inline std::vector<std::wstring> entriesOf(const std::wstring& list) {
    std::vector<std::wstring> entries;
    if (list.empty()) return entries;
    EXPECT_EQ(list[0], platform::kPathListSeparator) << toUtf8(list);
    std::size_t start = 1;
    for (;;) {
        const std::size_t end = list.find(platform::kPathListSeparator, start);
        entries.push_back(list.substr(start, end - start));
        if (end == std::wstring::npos) return entries;
        start = end + 1;
    }
}

// The texts in UTF-8, so that a failing comparison prints them readably.
inline std::vector<std::string> utf8(const std::vector<std::wstring>& texts) {
    std::vector<std::string> converted;
    for (const std::wstring& text : texts) converted.push_back(toUtf8(text));
    return converted;
}

inline std::vector<std::wstring> sorted(std::vector<std::wstring> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

// The position of `text` in `texts`, or the size of `texts` when it is missing.
inline std::size_t positionOf(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return static_cast<std::size_t>(std::find(texts.begin(), texts.end(), text) - texts.begin());
}
