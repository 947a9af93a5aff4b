// Fuzz target: the readers of numbers in configuration values: toNumber against a wide input
// stream of the classic locale (which it stands in for), its decimal reader against the C
// library's strtod on long digit strings, the heap limit reader against the C library's, the heap
// percentage's bounds, and the -Xss size of the VM's main thread.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "config/HeapSizing.h"
#include "launcher/JVMLauncher.h"
#include "util/Decimal.h"
#include "util/Text.h"

namespace {

// What a wide input stream of the classic locale extracts; -1 when the extraction fails.
double streamNumber(const std::wstring& text) {
    std::wistringstream stream(text);
    stream.imbue(std::locale::classic());
    double value = 0;
    if (!(stream >> value)) return -1;
    return value;
}

// The C library's reading of a signed decimal, saturated to 32 bits, which are kept as unsigned.
std::uint32_t libraryLimitKb(const std::wstring& text) {
    const long long value = std::wcstoll(text.c_str(), nullptr, 10);
    const long long saturated = std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(saturated));
}

// The input as the digits of a number near 10^scale, the scale taken from the first two bytes, each
// further byte a digit: far more digits, and far closer to the limits of a double, than texts
// that a stream would read.
void checkDecimalAgainstStrtod(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const int scale = static_cast<std::int16_t>(data[0] | data[1] << 8) % 700;
    std::string digits;
    for (std::size_t i = 2; i < size; ++i) digits += static_cast<char>('0' + data[i] % 10);
    const std::int64_t exponent = scale - static_cast<std::int64_t>(digits.size());
    const std::string text = digits + "e" + std::to_string(exponent);
    if (nearestDouble(digits, exponent) != std::strtod(text.c_str(), nullptr)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each byte one code unit, as the configuration file's 8-bit text decodes.
    const std::wstring text(data, data + size);
    if (toNumber(text) != streamNumber(text)) std::abort();
    checkDecimalAgainstStrtod(data, size);
    if (heap::readLimitKb(text) != libraryLimitKb(text)) std::abort();
    for (const std::uint64_t memoryBytes : {std::uint64_t{0}, std::uint64_t{3} << 30, std::uint64_t{64} << 40, ~std::uint64_t{0}}) {
        const std::uint32_t percentKb = heap::percentOfMemoryKb(text, memoryBytes);
        if (percentKb > std::min<std::uint32_t>(heap::kilobytesOf(memoryBytes), 2147483647)) std::abort();
    }
    // The VM main thread's stack never falls below the launcher's floor of 1 MiB.
    if (vmMainThreadStack({L"-Xss" + text}).bytes < (std::size_t{1} << 20)) std::abort();
    return 0;
}
