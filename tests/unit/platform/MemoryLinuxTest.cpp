// The memory figures where Linux differs: /proc/meminfo, and the address-space limit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/Memory.h"

namespace {

// The process's mapped address space in bytes ("VmSize" of /proc/self/status).
std::uint64_t mappedBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

TEST(PhysicalMemoryOnLinux, ReportsTheTotalInBytes) {
    struct sysinfo system;
    ASSERT_EQ(sysinfo(&system), 0);
    EXPECT_EQ(platform::physicalMemory().totalBytes, std::uint64_t{system.totalram} * system.mem_unit);
}

TEST(LargestFreeAddressRegionOnLinux, FindsAGapOfMoreThanATerabyteWithoutALimit) {
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_AS, &limit), 0);
    if (limit.rlim_cur != RLIM_INFINITY) GTEST_SKIP() << "the address space is limited here";
    EXPECT_GT(platform::largestFreeAddressRegion(), std::uint64_t{1} << 40);
}

// Limits the address space to what is mapped now plus `left` bytes, then exits with 0 when the
// largest free region is more than nothing and not (much) more than `left`.
[[noreturn]] void measureUnderLimit(std::uint64_t left) {
    const rlimit limit{mappedBytes() + left, RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) std::exit(2);
    const std::uint64_t region = platform::largestFreeAddressRegion();
    // What is mapped may grow or shrink a little while the figure is measured.
    const std::uint64_t slack = std::uint64_t{16} << 20;
    std::exit(region > 0 && region <= left + slack ? 0 : 1);
}

TEST(LargestFreeAddressRegionOnLinux, NeverExceedsWhatTheAddressSpaceLimitLeaves) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // In a child process, since the limit cannot be lifted again.
    EXPECT_EXIT(measureUnderLimit(std::uint64_t{256} << 20), testing::ExitedWithCode(0), "");
}

}  // namespace
