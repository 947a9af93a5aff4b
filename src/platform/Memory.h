// Memory figures of the machine and of the process's address space.
#pragma once

#include <cstdint>

namespace platform {

struct PhysicalMemory {
    std::uint64_t totalBytes = 0;
    std::uint64_t availableBytes = 0;
};

// The physical memory at this moment: the machine's, on Linux cut to the memory limit of the
// process's control groups (a container's limit) as the Java VM cuts it. Both figures are 0 when
// they cannot be read.
PhysicalMemory physicalMemory();

// The size in bytes of the largest free region of the process's virtual address space below the
// highest address an application may use.
std::uint64_t largestFreeAddressRegion();

}  // namespace platform
