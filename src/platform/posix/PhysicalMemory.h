// Physical memory on Linux as the Java VM reckons it: the machine's figures cut to the limit of the
// process's control groups, so that a container limited to 2 GB on a large host counts 2 GB.
#pragma once

#include <string>

#include "platform/Memory.h"

namespace platform::posix {

// The figures of <root>/proc/meminfo (both 0 when it cannot be read), the total cut to the
// smallest memory limit of the process's control group and its ancestors, the available memory to
// that limit less the group's usage. The group comes from <root>/proc/self/cgroup: the cgroup v1
// memory hierarchy (memory.limit_in_bytes, memory.usage_in_bytes below
// <root>/sys/fs/cgroup/memory) where the memory controller is there, the unified v2 hierarchy
// (memory.max, memory.current below <root>/sys/fs/cgroup) otherwise. `root` is empty for the
// system itself; tests pass a folder of fake files.
PhysicalMemory physicalMemoryUnder(const std::wstring& root);

}  // namespace platform::posix
