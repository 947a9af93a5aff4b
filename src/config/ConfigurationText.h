// The configuration file's text: how its bytes decode, how physical lines join into logical
// lines (the entries), and how an entry's text divides into a name and a value.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/PropertyFileEntry.h"

// The most characters a physical line may hold (after CR LF has become LF).
constexpr std::size_t kMaxPhysicalLineLength = 4999;

// Decodes the file's bytes as the Windows text mode reads 8-bit text, on every system: each byte
// becomes the code unit of the same value, CR LF becomes LF (a lone CR stays), and a Ctrl-Z byte
// ends the text. NUL bytes are kept; the line reader ends a line's text at them. No byte-order
// mark is recognised.
std::wstring decodeTextMode(const std::string& bytes);

// Decodes as decodeTextMode does, except that text that is valid UTF-8 throughout (after CR LF has
// become LF and up to a Ctrl-Z) decodes as UTF-8. A UTF-8 byte-order mark becomes U+FEFF.
std::wstring decodeUtf8TextMode(const std::string& bytes);

// The configuration file's decoding, the same on every system, for the ways editors save text: a
// file that starts with a UTF-16 byte-order mark (little- or big-endian) is UTF-16; any other
// file, after a UTF-8 byte-order mark if it has one, decodes as decodeUtf8TextMode does. In UTF-16
// too CR LF becomes LF and a Ctrl-Z ends the text.
std::wstring decodeConfigurationText(const std::string& bytes);

// True when `text` is not empty and begins with "#".
bool isComment(const std::wstring& text);

// The logical lines of decoded text, in file order, each with the number of its first physical
// line (counted from 1, blank and comment lines included). Blank and comment lines contribute
// nothing; a line ending in "^" continues on the next contributing line. Throws LaunchError,
// naming `fileName` and the line number, when a physical line is longer than
// kMaxPhysicalLineLength characters.
std::vector<PropertyFileEntry> readEntries(const std::wstring& text, const std::wstring& fileName);

// True when `text` contains "=".
bool containsEquals(const std::wstring& text);

// The text before the first "=" (the whole text when there is none), untrimmed. Reports any
// failure with "Error parsing property name in file.".
std::wstring parsePropertyName(const std::wstring& text);

// The text after the first "=" (empty when there is none), untrimmed. Reports any failure with
// "Error parsing property value in file.".
std::wstring parsePropertyValue(const std::wstring& text);
