// Fuzz target: the conversions between wide text, UTF-8 and UTF-16. UTF-8 decoding is checked
// against the C library's decoder; encodings are checked by decoding them again.
#include <fuzzer/FuzzedDataProvider.h>

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/TextEncoding.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isScalarValue(char32_t c) {
    return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF);
}

// The code points of `bytes` as the C library's UTF-8 decoder reads them; a byte that starts no
// valid sequence gives U+FFFD and decoding goes on at the next byte. (The C library also decodes
// the old five- and six-byte forms beyond Unicode, which are no valid sequences.)
std::u32string libraryUtf8CodePoints(const std::string& bytes) {
    std::u32string out;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::mbstate_t state{};
        wchar_t c = 0;
        const std::size_t length = std::mbrtowc(&c, bytes.data() + pos, bytes.size() - pos, &state);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2) || !isScalarValue(static_cast<char32_t>(c))) {
            out += kReplacement;
            ++pos;
            continue;
        }
        out += static_cast<char32_t>(c);
        pos += length == 0 ? 1 : length;
    }
    return out;
}

// The code points of wide text on this system (UTF-32 on Linux).
std::u32string codePoints(const std::wstring& text) {
    return std::u32string(text.begin(), text.end());
}

// The code points of UTF-16 text; aborts on a lone surrogate, which an encoder must not make.
std::u32string utf16CodePoints(const std::u16string& text) {
    std::u32string out;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const char32_t unit = text[pos];
        if (unit >= 0xDC00 && unit <= 0xDFFF) std::abort();
        if (unit < 0xD800 || unit > 0xDBFF) {
            out += unit;
            continue;
        }
        if (pos + 1 == text.size() || text[pos + 1] < 0xDC00 || text[pos + 1] > 0xDFFF) std::abort();
        out += 0x10000 + ((unit - 0xD800) << 10) + (text[++pos] - 0xDC00);
    }
    return out;
}

// Wide text with every code unit that is no Unicode scalar value replaced by U+FFFD.
std::u32string scalarValues(const std::wstring& text) {
    std::u32string out;
    for (const wchar_t unit : text) {
        const auto c = static_cast<char32_t>(unit);
        out += isScalarValue(c) ? c : kReplacement;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Bytes as UTF-8: decoded as the C library decodes them, and encoded back unchanged when valid.
    const std::wstring decoded = fromUtf8(bytes);
    if (codePoints(decoded) != libraryUtf8CodePoints(bytes)) std::abort();
    if (decoded.find(static_cast<wchar_t>(kReplacement)) == std::wstring::npos && toUtf8(decoded) != bytes) std::abort();
    // The same bytes as code units of any value, as wide text may hold.
    FuzzedDataProvider provider(data, size);
    std::wstring units;
    while (provider.remaining_bytes() > 0) units += static_cast<wchar_t>(provider.ConsumeIntegralInRange<std::uint32_t>(0, 0x11FFFF));
    const std::u32string scalars = scalarValues(units);
    if (codePoints(fromUtf8(toUtf8(units))) != scalars) std::abort();
    if (utf16CodePoints(toUtf16(units)) != scalars) std::abort();
    return 0;
}
