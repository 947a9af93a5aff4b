// Conversions between wide text and the encodings the system and the Java VM read: UTF-8, UTF-16
// and JNI's modified UTF-8.
#include "platform/TextEncoding.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point that starts at `pos` of wide text, whose units are UTF-16 (Windows) or UTF-32
// (Linux); advances `pos` past it. Lone surrogates and values beyond Unicode become U+FFFD; in
// UTF-32 every surrogate is lone, so two of them never combine into one character.
char32_t nextCodePoint(const std::wstring& text, std::size_t& pos) {
    const auto c = static_cast<char32_t>(text[pos++]);
    if (sizeof(wchar_t) == 2 && isHighSurrogate(c) && pos < text.size() && isLowSurrogate(static_cast<char32_t>(text[pos]))) {
        const auto low = static_cast<char32_t>(text[pos++]);
        return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
    if (isHighSurrogate(c) || isLowSurrogate(c) || c > 0x10FFFF) return kReplacement;
    return c;
}

// Appends `c` as UTF-16: one unit, or a surrogate pair beyond the Basic Multilingual Plane.
template <typename Text>
void appendUtf16(Text& out, char32_t c) {
    using Unit = typename Text::value_type;
    if (c < 0x10000) {
        out += static_cast<Unit>(c);
        return;
    }
    out += static_cast<Unit>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<Unit>(0xDC00 + ((c - 0x10000) & 0x3FF));
}

// Appends `c` in the units of wide text: UTF-16 (Windows) or UTF-32 (Linux).
void appendWide(std::wstring& out, char32_t c) {
    if (sizeof(wchar_t) == 2) {
        appendUtf16(out, c);
        return;
    }
    out += static_cast<wchar_t>(c);
}

// The number of continuation bytes that follow the lead byte `lead` of a multi-byte UTF-8
// sequence; 0 for a byte that cannot lead one (a continuation byte, or one of C0, C1, F5 to FF).
int continuationCount(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

// Decodes one UTF-8 sequence at `pos`; an invalid or overlong sequence gives U+FFFD for its
// first byte.
char32_t nextUtf8(const std::string& text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    const int extra = continuationCount(lead);
    if (extra == 0 || pos + static_cast<std::size_t>(extra) > text.size()) return kReplacement;
    char32_t c = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
    pos += extra;
    return c;
}

}  // namespace

std::string toUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) appendUtf8(out, nextCodePoint(text, pos));
    return out;
}

std::wstring fromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) appendWide(out, nextUtf8(text, pos));
    return out;
}

std::wstring fromUtf16(const std::u16string& units) {
    std::wstring out;
    out.reserve(units.size());
    for (std::size_t pos = 0; pos < units.size(); ++pos) {
        const char32_t unit = units[pos];
        if (isHighSurrogate(unit) && pos + 1 < units.size() && isLowSurrogate(units[pos + 1])) {
            appendWide(out, 0x10000 + ((unit - 0xD800) << 10) + (units[++pos] - 0xDC00));
            continue;
        }
        appendWide(out, isHighSurrogate(unit) || isLowSurrogate(unit) ? kReplacement : unit);
    }
    return out;
}

std::u16string toUtf16(const std::wstring& text) {
    // Wide text already is UTF-16 where wchar_t has 16 bits (Windows): its units go as they are,
    // so that an unpaired surrogate (legal in Windows file names) reaches Java unchanged.
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) return std::u16string(text.begin(), text.end());
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) appendUtf16(out, nextCodePoint(text, pos));
    return out;
}

std::string toModifiedUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t unit : toUtf16(text)) {
        if (unit == 0) {
            out += "\xC0\x80";
            continue;
        }
        appendUtf8(out, unit);
    }
    return out;
}
