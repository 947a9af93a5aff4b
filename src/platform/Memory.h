// Memory figures of the machine and of the process's address space.
#pragma once

#include <cstdint>

namespace platform {

struct PhysicalMemory {
    std::uint64_t totalBytes = 0;
    std::uint64_t availableBytes = 0;
};

// The machine's physical memory at this moment; both figures are 0 when it cannot be read.
PhysicalMemory physicalMemory();

// The size in bytes of the largest free region of the process's virtual address space below the
// highest address an application may use.
std::uint64_t largestFreeAddressRegion();

}  // namespace platform
