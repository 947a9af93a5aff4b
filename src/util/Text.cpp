// Text helpers: trimming, reading numbers and flags, ASCII case.
#include "util/Text.h"

#include <cmath>

#include "util/Decimal.h"

namespace {

bool isTrimmed(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n';
}

// Appends the run of digits at `pos` to `out`; returns how many there were.
std::size_t takeDigits(const std::wstring& text, std::size_t& pos, std::string& out) {
    std::size_t count = 0;
    for (; pos < text.size() && isAsciiDigit(text[pos]); ++pos, ++count) out += static_cast<char>(text[pos]);
    return count;
}

// Takes an optional '+' or '-' at `pos`; true for '-'.
bool takeMinus(const std::wstring& text, std::size_t& pos) {
    if (pos >= text.size() || (text[pos] != L'+' && text[pos] != L'-')) return false;
    return text[pos++] == L'-';
}

// Reads the exponent's sign and digits at `pos` into `exponent`; false without digits. Its value
// saturates far beyond any exponent that a text shorter than a billion characters can balance.
bool takeExponent(const std::wstring& text, std::size_t& pos, std::int64_t& exponent) {
    constexpr std::int64_t kSaturation = 1'000'000'000;
    const bool negative = takeMinus(text, pos);
    const std::size_t start = pos;
    std::int64_t value = 0;
    for (; pos < text.size() && isAsciiDigit(text[pos]); ++pos) {
        if (value < kSaturation) value = value * 10 + (text[pos] - L'0');
    }
    exponent = negative ? -value : value;
    return pos > start;
}

}  // namespace

bool isClassicSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

bool isAsciiDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

void trim(std::wstring& text) {
    std::size_t end = text.size();
    while (end > 0 && isTrimmed(text[end - 1])) --end;
    std::size_t begin = 0;
    while (begin < end && isTrimmed(text[begin])) ++begin;
    text = text.substr(begin, end - begin);
}

bool toBool(std::wstring text) {
    trim(text);
    if (text.empty()) return false;
    const wchar_t first = text[0];
    return first == L'T' || first == L't' || first == L'Y' || first == L'y';
}

double toNumber(const std::wstring& text) {
    std::size_t pos = 0;
    while (pos < text.size() && isClassicSpace(text[pos])) ++pos;
    const bool negative = takeMinus(text, pos);
    std::string digits;
    const std::size_t integerDigits = takeDigits(text, pos, digits);
    std::size_t fractionDigits = 0;
    if (pos < text.size() && text[pos] == L'.') fractionDigits = takeDigits(text, ++pos, digits);
    if (integerDigits + fractionDigits == 0) return -1;
    std::int64_t exponent = 0;
    // A stream takes an exponent marker and its sign even when no digit follows, and then fails.
    if (pos < text.size() && (text[pos] == L'e' || text[pos] == L'E') && !takeExponent(text, ++pos, exponent)) return -1;
    const double magnitude = nearestDouble(digits, exponent - static_cast<std::int64_t>(fractionDigits));
    if (std::isinf(magnitude)) return -1;
    return negative ? -magnitude : magnitude;
}

void replaceAll(std::wstring& text, wchar_t from, wchar_t to) {
    for (wchar_t& c : text) {
        if (c == from) c = to;
    }
}

std::wstring toLowerAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

std::wstring toUpperAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::wstring toDecimal(std::uint64_t value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}
