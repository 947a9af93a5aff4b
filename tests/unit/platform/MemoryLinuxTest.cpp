// The memory figures where Linux differs: /proc/meminfo cut to the control groups' limit, and the
// address-space limit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/Memory.h"
#include "platform/posix/PhysicalMemory.h"
#include "support/TempDir.h"

namespace {

// The process's mapped address space in bytes ("VmSize" of /proc/self/status).
std::uint64_t mappedBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

TEST(PhysicalMemoryOnLinux, ReportsTheTotalInBytesAtMostTheMachines) {
    struct sysinfo system;
    ASSERT_EQ(sysinfo(&system), 0);
    // Less in a container whose control group has a lower limit.
    EXPECT_GT(platform::physicalMemory().totalBytes, 0u);
    EXPECT_LE(platform::physicalMemory().totalBytes, std::uint64_t{system.totalram} * system.mem_unit);
}

TEST(PhysicalMemoryOnLinux, CutsTheMachinesFiguresToTheControlGroupsLimit) {
    constexpr std::uint64_t kGb = std::uint64_t{1} << 30;
    const std::string meminfo = "MemTotal:       67108864 kB\nMemFree:  1 kB\nMemAvailable:   62914560 kB\n";  // 64 GB, 60 GB
    const std::wstring v1 = L"sys/fs/cgroup/memory/";
    const std::wstring v2 = L"sys/fs/cgroup/";
    const struct {
        const char* what;
        std::string cgroup;
        std::vector<std::pair<std::wstring, std::string>> files;
        std::uint64_t total;
        std::uint64_t available;
    } cases[] = {
        {"no control groups", "", {}, 64 * kGb, 60 * kGb},
        {"v2 limit and usage", "0::/\n", {{v2 + L"memory.max", "2147483648\n"}, {v2 + L"memory.current", "1073741824\n"}}, 2 * kGb, kGb},
        {"v2 without a limit", "0::/\n", {{v2 + L"memory.max", "max\n"}, {v2 + L"memory.current", "1073741824\n"}}, 64 * kGb, 60 * kGb},
        {"v2 limit of a parent group", "0::/app/worker\n",
         {{v2 + L"app/memory.max", "4294967296\n"}, {v2 + L"app/worker/memory.max", "max\n"}, {v2 + L"app/worker/memory.current", "1073741824\n"}},
         4 * kGb, 3 * kGb},
        {"v2 usage above the limit", "0::/\n", {{v2 + L"memory.max", "1073741824\n"}, {v2 + L"memory.current", "2147483648\n"}}, kGb, 0},
        {"v2 limit above the machine", "0::/\n", {{v2 + L"memory.max", "137438953472\n"}}, 64 * kGb, 60 * kGb},
        {"v1 seen from inside a container", "4:memory:/docker/abc\n0::/\n",
         {{v1 + L"memory.limit_in_bytes", "536870912\n"}, {v1 + L"memory.usage_in_bytes", "268435456\n"}, {v2 + L"memory.max", "max\n"}},
         kGb / 2, kGb / 4},
        {"v1 unlimited", "3:cpu,memory:/\n", {{v1 + L"memory.limit_in_bytes", "9223372036854771712\n"}}, 64 * kGb, 60 * kGb},
    };
    for (const auto& c : cases) {
        TempDir root;
        root.writeFile(L"proc/meminfo", meminfo);
        if (!c.cgroup.empty()) root.writeFile(L"proc/self/cgroup", c.cgroup);
        for (const auto& [file, content] : c.files) root.writeFile(file, content);
        const platform::PhysicalMemory memory = platform::posix::physicalMemoryUnder(root.path());
        EXPECT_EQ(memory.totalBytes, c.total) << c.what;
        EXPECT_EQ(memory.availableBytes, c.available) << c.what;
    }
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
