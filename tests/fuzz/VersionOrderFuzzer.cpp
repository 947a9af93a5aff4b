// Fuzz target: the ordering of Java versions, which must be a strict weak order for the choice
// among candidates to be well defined: checked on three random version texts, raw and as their
// comparable versions.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzReport.h"
#include "jvm/JVM.h"
#include "platform/TextEncoding.h"

namespace {

bool lower(const std::wstring& a, const std::wstring& b) {
    return isLowerComparable(a, b);
}

bool incomparable(const std::wstring& a, const std::wstring& b) {
    return !lower(a, b) && !lower(b, a);
}

// Aborts unless `lower` is irreflexive, transitive and has transitive incomparability on a, b, c.
void checkStrictWeakOrder(const std::wstring& a, const std::wstring& b, const std::wstring& c) {
    if (lower(a, a)) std::abort();
    if (lower(a, b) && lower(b, a)) std::abort();
    if (lower(a, b) && lower(b, c) && !lower(a, c)) std::abort();
    if (incomparable(a, b) && incomparable(b, c) && !incomparable(a, c)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::wstring a = fromUtf8(provider.ConsumeRandomLengthString(64));
    const std::wstring b = fromUtf8(provider.ConsumeRandomLengthString(64));
    const std::wstring c = fromUtf8(provider.ConsumeRemainingBytesAsString());
    checkStrictWeakOrder(a, b, c);
    try {
        checkStrictWeakOrder(getComparableVersion(a), getComparableVersion(b), getComparableVersion(c));
    } catch (const FuzzReport&) {
        // A version the reader reports on has no place in the order.
    }
    return 0;
}
