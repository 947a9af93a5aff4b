// Decoding, logical lines and the name/value split of the configuration file.
#include "config/ConfigurationText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/PathConventions.h"
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

// The bytes as the Windows text mode hands them over: CR LF becomes LF and a Ctrl-Z byte ends
// them. Neither byte occurs inside a multi-byte UTF-8 sequence, so UTF-8 survives unchanged.
std::string textModeBytes(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == kCtrlZ) break;
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
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
    return widened(textModeBytes(bytes));
}

std::wstring decodeUtf8TextMode(const std::string& bytes) {
    const std::string text = textModeBytes(bytes);
    return isValidUtf8(text) ? fromUtf8(text) : widened(text);
}

std::wstring decodeConfigurationText(const std::string& bytes) {
    return platform::kTextFilesMayBeUtf8 ? decodeUtf8TextMode(bytes) : decodeTextMode(bytes);
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
