// File helpers shared by the whole launcher.
#pragma once

#include <string>

// True when the platform's find-first search finds an entry (a file or a folder; a pattern with
// wildcards counts when it matches) for the path without its trailing separators, so that a
// configured folder written with a final separator is found as well.
bool fileExists(const std::wstring& path);

// `path` without the separators at its end; a path made only of separators becomes empty.
std::wstring withoutTrailingSeparators(const std::wstring& path);

// True when `path` is relative to the current folder: not empty, starting with no separator and,
// where paths have drives, with no drive ("C:").
bool isRelativePath(const std::wstring& path);
