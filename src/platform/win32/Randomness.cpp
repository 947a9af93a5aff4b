// Unpredictable numbers on Windows: RtlGenRandom (SystemFunction036 of advapi32).
#include "platform/Randomness.h"

#include "platform/win32/Win32.h"

#include <ntsecapi.h>

namespace platform {

std::uint64_t unpredictableBits() {
    std::uint64_t bits = 0;
    if (RtlGenRandom(&bits, sizeof(bits))) return bits;
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return static_cast<std::uint64_t>(ticks.QuadPart) ^ (std::uint64_t{GetCurrentProcessId()} << 40);
}

}  // namespace platform
