// The arithmetic of heap sizing, given the memory figures as data: percentages of physical memory,
// limit texts, the free address space and the final maximum and initial heap, all in kilobytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace heap {

// The reserve of address space kept free beside the heap when the limits are checked.
constexpr std::uint32_t kAddressSpaceReserveKb = 204800;

// The cap when the largest free region cannot even hold the reserve: the smallest figure that
// still yields an "-Xmx" option, so that the VM is held to it instead of choosing a default heap
// that the address space may not hold.
constexpr std::uint32_t kSmallestCapKb = 1;

// `percentText` percent of `bytes`, in kilobytes. The text's leading number is clamped to 0..100
// (a text without one counts as 0); the product is truncated toward zero and saturates at
// 2147483647.
std::uint32_t percentOfMemoryKb(const std::wstring& percentText, std::uint64_t bytes);

// A limit text read as a signed decimal integer (leading white space, an optional sign, digits up
// to the first other character; 0 without digits; saturating at the signed 32-bit range), its
// 32 bits taken as unsigned: "-1" gives 4294967295, "512m" gives 512.
std::uint32_t readLimitKb(const std::wstring& text);

// A byte count in kilobytes, saturating at 4294967295.
std::uint32_t kilobytesOf(std::uint64_t bytes);

// The size in kilobytes of the largest free region of the process's address space, now.
std::uint32_t largestFreeAddressRegion();

// The configured figures, each in kilobytes.
struct HeapSettings {
    std::uint32_t max = 0;
    std::uint32_t maxLowerLimit = 0;
    std::uint32_t maxUpperLimit = 2147483647;
    std::uint32_t init = 0;
    std::uint32_t initLowerLimit = 0;
    std::uint32_t initUpperLimit = 2147483647;
};

// The final heap figures in kilobytes; 0 means that no option is produced.
struct HeapSizes {
    std::uint32_t max;
    std::uint32_t init;
};

// The highest maximum heap allowed by a largest free region of `largestFreeRegionKb`: the region
// less the reserve, or kSmallestCapKb when the region is no larger than the reserve.
std::uint32_t heapCapKb(std::uint32_t largestFreeRegionKb);

// The maximum raised to its lower limit, then cut to its upper limit and, when a largest free
// region is given (the limits are checked), to heapCapKb of it, otherwise to 2147483647; the
// initial heap raised to its
// lower limit, then cut to its upper limit and to the final maximum (also when that is 0).
HeapSizes computeHeapSizes(const HeapSettings& settings, std::optional<std::uint32_t> largestFreeRegionKb);

}  // namespace heap
