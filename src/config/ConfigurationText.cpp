// Decoding, logical lines and the name/value split of the configuration file.
#include "config/ConfigurationText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

namespace {

constexpr unsigned char kCtrlZ = 0x1A;

// Joins the contributing physical lines into entries.
class LogicalLines {
public:
    // Adds one trimmed physical line that is neither blank nor a comment.
    void add(std::wstring piece, std::int32_t lineNumber) {
        const bool continued = piece.back() == L'^';
        if (continued) {
            piece.pop_back();
            trim(piece);
        }
        if (!m_continued) m_startLine = lineNumber;
        m_pending += piece;
        m_continued = continued;
        if (!continued) complete();
    }

    // The entries; a continuation still open at the end of the file becomes the last one.
    std::vector<PropertyFileEntry> finish() {
        if (m_continued) complete();
        return std::move(m_entries);
    }

private:
    void complete() {
        m_entries.emplace_back(m_startLine, std::move(m_pending));
        m_pending.clear();
        m_startLine = 0;
    }

    std::vector<PropertyFileEntry> m_entries;
    std::wstring m_pending;
    std::int32_t m_startLine = 0;
    bool m_continued = false;
};

LaunchError lineTooLong(std::int32_t lineNumber, const std::wstring& fileName) {
    return LaunchError{L"Line " + toDecimal(static_cast<std::uint64_t>(lineNumber)) + L" of the configuration file " +
                       fileName + L" is longer than " + toDecimal(kMaxPhysicalLineLength) + L" characters."};
}

// The text as the Windows text mode hands it over: CR LF becomes LF and a Ctrl-Z ends it. Applied
// to bytes, neither byte occurs inside a multi-byte UTF-8 sequence, so UTF-8 survives unchanged.
template <typename Text>
Text textMode(const Text& units) {
    using Unit = typename Text::value_type;
    Text text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto unit = static_cast<std::make_unsigned_t<Unit>>(units[i]);
        if (unit == kCtrlZ) break;
        if (unit == '\r' && i + 1 < units.size() && units[i + 1] == Unit{'\n'}) continue;
        text += units[i];
    }
    return text;
}

bool startsWithBytes(const std::string& bytes, const char* prefix) {
    return bytes.rfind(prefix, 0) == 0;
}

// The UTF-16 text after the two bytes of its byte-order mark; an odd last byte is dropped.
std::wstring decodeUtf16(const std::string& bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return fromUtf16(textMode(units));
}

// Each byte as the code unit of the same value.
std::wstring widened(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char byte : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    return text;
}

// Whether `bytes` are UTF-8 throughout. Decoding turns each byte that is not part of a valid
// sequence into U+FFFD, three bytes when encoded again, so exactly valid UTF-8 comes back unchanged.
bool isValidUtf8(const std::string& bytes) {
    return toUtf8(fromUtf8(bytes)) == bytes;
}

}  // namespace

std::wstring decodeTextMode(const std::string& bytes) {
    return widened(textMode(bytes));
}

std::wstring decodeUtf8TextMode(const std::string& bytes) {
    const std::string text = textMode(bytes);
    return isValidUtf8(text) ? fromUtf8(text) : widened(text);
}

std::wstring decodeConfigurationText(const std::string& bytes) {
    if (startsWithBytes(bytes, "\xFF\xFE")) return decodeUtf16(bytes, false);
    if (startsWithBytes(bytes, "\xFE\xFF")) return decodeUtf16(bytes, true);
    const std::string utf8Mark = "\xEF\xBB\xBF";
    return decodeUtf8TextMode(startsWithBytes(bytes, utf8Mark.c_str()) ? bytes.substr(utf8Mark.size()) : bytes);
}

bool isComment(const std::wstring& text) {
    return !text.empty() && text[0] == L'#';
}

std::vector<PropertyFileEntry> readEntries(const std::wstring& text, const std::wstring& fileName) {
    LogicalLines lines;
    std::int32_t lineNumber = 0;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find(L'\n', begin), text.size());
        ++lineNumber;
        // An over-long line ends the reading: a line cut in two would apply a partial value.
        if (end - begin > kMaxPhysicalLineLength) throw lineTooLong(lineNumber, fileName);
        // A NUL ends the line's text, as it ends the buffer the line is read into.
        const auto lineBegin = text.begin() + static_cast<std::ptrdiff_t>(begin);
        std::wstring line(lineBegin, std::find(lineBegin, text.begin() + static_cast<std::ptrdiff_t>(end), L'\0'));
        begin = end + 1;
        trim(line);
        if (line.empty() || isComment(line)) continue;
        lines.add(std::move(line), lineNumber);
    }
    return lines.finish();
}

bool containsEquals(const std::wstring& text) {
    return text.find(L'=') != std::wstring::npos;
}

std::wstring parsePropertyName(const std::wstring& text) {
    return reportFailures(L"Error parsing property name in file.", [&text] {
        return containsEquals(text) ? text.substr(0, text.find(L'=')) : text;
    });
}

std::wstring parsePropertyValue(const std::wstring& text) {
    return reportFailures(L"Error parsing property value in file.", [&text] {
        return containsEquals(text) ? text.substr(text.find(L'=') + 1) : std::wstring();
    });
}
