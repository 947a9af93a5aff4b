// Numbers no one can predict, from the operating system's own random source.
#pragma once

#include <cstdint>

namespace platform {

// 64 bits from the system's cryptographic random source (getrandom on Linux, RtlGenRandom on
// Windows); where that source fails, bits from the clock and the process, which another account
// cannot read ahead of time either.
std::uint64_t unpredictableBits();

}  // namespace platform
