// The memory figures as both systems report them.
#include <gtest/gtest.h>

#include "platform/Memory.h"

namespace {

TEST(PhysicalMemory, ReportsATotalAndAnAvailablePartOfIt) {
    const platform::PhysicalMemory memory = platform::physicalMemory();
    EXPECT_GT(memory.totalBytes, 0u);
    EXPECT_GT(memory.availableBytes, 0u);
    EXPECT_LE(memory.availableBytes, memory.totalBytes);
}

TEST(LargestFreeAddressRegion, FindsFreeAddressSpace) {
    // Even a 32-bit process has hundreds of megabytes of address space left after start-up.
    EXPECT_GT(platform::largestFreeAddressRegion(), std::uint64_t{64} << 20);
}

}  // namespace
