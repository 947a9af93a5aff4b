// Memory figures on Windows: the memory status and a walk over the address space.
#include "platform/Memory.h"

#include <algorithm>
#include <cstdint>

#include "platform/win32/Win32.h"

namespace platform {

PhysicalMemory physicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return {};
    return {status.ullTotalPhys, status.ullAvailPhys};
}

std::uint64_t largestFreeAddressRegion() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const auto top = reinterpret_cast<std::uintptr_t>(system.lpMaximumApplicationAddress);
    std::uint64_t largest = 0;
    std::uintptr_t address = 0;
    while (address < top) {
        MEMORY_BASIC_INFORMATION region;
        if (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) == 0) {
            address += system.dwPageSize;
            continue;
        }
        if (region.State == MEM_FREE) largest = std::max<std::uint64_t>(largest, region.RegionSize);
        const std::uintptr_t next = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        // A region that reaches the very end of a 32-bit address space wraps `next` around to 0.
        if (next <= address) break;
        address = next;
    }
    return largest;
}

}  // namespace platform
