// Memory figures on Linux, read from /proc: the memory the process may use and the gaps between
// the process's mappings.
#include "platform/Memory.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/Files.h"
#include "platform/posix/PhysicalMemory.h"

namespace platform {
namespace {

// The end of the address space that mmap hands out to a program without an explicit hint.
#if defined(__x86_64__)
constexpr std::uint64_t kTopOfUserSpace = 0x7ffffffff000;  // 47-bit addresses
#elif defined(__aarch64__)
constexpr std::uint64_t kTopOfUserSpace = 0x1000000000000;  // 48-bit addresses
#else
#error "The top of the user address space is not known for this processor."
#endif

// The lowest address a mapping may have.
std::uint64_t bottomOfUserSpace() {
    const std::optional<std::string> text = readFileBytes(L"/proc/sys/vm/mmap_min_addr");
    return text ? std::strtoull(text->c_str(), nullptr, 10) : 0;
}

struct AddressSpaceUse {
    std::uint64_t largestGap = 0;
    std::uint64_t mappedBytes = 0;
};

// Walks /proc/self/maps, whose lines ("start-end perms ...", hexadecimal) come in address order.
AddressSpaceUse measureAddressSpace() {
    const std::optional<std::string> maps = readFileBytes(L"/proc/self/maps");
    if (!maps) return {};
    AddressSpaceUse use;
    std::uint64_t previousEnd = bottomOfUserSpace();
    for (const char* line = maps->c_str(); *line != '\0';) {
        char* rest = nullptr;
        const std::uint64_t start = std::strtoull(line, &rest, 16);
        const std::uint64_t end = std::strtoull(rest + 1, &rest, 16);
        // Mappings above the top ([vsyscall]) lie outside what a program may use.
        if (start >= kTopOfUserSpace) break;
        if (start > previousEnd) use.largestGap = std::max(use.largestGap, start - previousEnd);
        use.mappedBytes += end - start;
        previousEnd = std::max(previousEnd, end);
        const char* lineEnd = std::strchr(rest, '\n');
        if (lineEnd == nullptr) break;
        line = lineEnd + 1;
    }
    if (kTopOfUserSpace > previousEnd) use.largestGap = std::max(use.largestGap, kTopOfUserSpace - previousEnd);
    return use;
}

}  // namespace

PhysicalMemory physicalMemory() {
    return posix::physicalMemoryUnder(L"");
}

std::uint64_t largestFreeAddressRegion() {
    const AddressSpaceUse use = measureAddressSpace();
    // A finite address-space limit leaves only what is not mapped yet, wherever the gaps are.
    rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return use.largestGap;
    const std::uint64_t unmappedAllowance = limit.rlim_cur > use.mappedBytes ? limit.rlim_cur - use.mappedBytes : 0;
    return std::min(use.largestGap, unmappedAllowance);
}

}  // namespace platform
