// Text helpers shared by the whole launcher. All text inside is wide; it is converted only at the
// edges.
#pragma once

#include <cstdint>
#include <string>

// True for the white space a number reader skips in the classic locale: space and the characters
// from horizontal tab to carriage return.
bool isClassicSpace(wchar_t c);

// True for the digits '0' to '9'.
bool isAsciiDigit(wchar_t c);

// Removes, in place, every leading and trailing space, horizontal tab and line feed. Carriage
// returns and other white space stay.
void trim(std::wstring& text);

// True when the trimmed text begins with 'T', 't', 'Y' or 'y'.
bool toBool(std::wstring text);

// Reads a decimal floating-point number from the start of `text` as a wide input stream extracts
// a double in the classic locale: leading white space skipped, an optional sign, digits with an
// optional fraction and exponent, the rest ignored. No hexadecimal, infinity or NaN. -1 when the
// text does not start with a number (or the number overflows a double).
double toNumber(const std::wstring& text);

// Replaces, in place, every `from` by `to`.
void replaceAll(std::wstring& text, wchar_t from, wchar_t to);

// A copy with the ASCII letters A to Z lower-cased (upper-cased); other characters stay.
std::wstring toLowerAscii(std::wstring text);
std::wstring toUpperAscii(std::wstring text);

// True when `text` begins (ends) with `prefix` (`suffix`), compared exactly.
bool startsWith(const std::wstring& text, const std::wstring& prefix);
bool endsWith(const std::wstring& text, const std::wstring& suffix);

// The decimal digits of `value`, without grouping or leading zeros.
std::wstring toDecimal(std::uint64_t value);
