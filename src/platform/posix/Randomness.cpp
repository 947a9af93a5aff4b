// Unpredictable numbers on Linux: getrandom.
#include "platform/Randomness.h"

#include <sys/random.h>
#include <unistd.h>

#include <chrono>

namespace platform {

std::uint64_t unpredictableBits() {
    std::uint64_t bits = 0;
    if (getrandom(&bits, sizeof(bits), 0) == static_cast<ssize_t>(sizeof(bits))) return bits;
    const auto ticks = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return ticks ^ (static_cast<std::uint64_t>(getpid()) << 40);
}

}  // namespace platform
