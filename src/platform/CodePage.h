// Narrow text for the programs and libraries that take no wide text: the process's code page, in
// which the Java VM reads its options and file names, and the short names that fit it.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The code page of UTF-8 (Windows' number for it).
inline constexpr unsigned kUtf8CodePage = 65001;

// The code page in which the Java VM reads narrow text: the process's ANSI code page on Windows,
// UTF-8 on Linux.
unsigned vmCodePage();

// `text` in the code page `codePage`; empty when a character of it has no exact equivalent there
// (a look-alike, such as "a" for U+0101, never stands in for it). Linux knows only UTF-8: there
// every text converts, to UTF-8, whatever `codePage` says.
std::optional<std::string> toCodePage(const std::wstring& text, unsigned codePage);

// The short (8.3) form of the path of an existing file or folder, each long name in it replaced by
// its short alias; empty when the path does not exist or has no short form (always on Linux).
std::optional<std::wstring> shortPathName(const std::wstring& path);

}  // namespace platform
