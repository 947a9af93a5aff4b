// Physical memory on Linux: /proc/meminfo and the memory limits of the control groups.
#include "platform/posix/PhysicalMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <sstream>

#include "platform/Files.h"
#include "platform/TextEncoding.h"

namespace platform::posix {
namespace {

// The number after `label` at the start of a line of `text` (for example "MemTotal:"); empty
// when no line starts with it.
std::optional<std::uint64_t> numberAfter(const std::string& text, const std::string& label) {
    std::size_t line = 0;
    while (line < text.size()) {
        if (text.compare(line, label.size(), label) == 0) return std::strtoull(text.c_str() + line + label.size(), nullptr, 10);
        const std::size_t lineEnd = text.find('\n', line);
        if (lineEnd == std::string::npos) break;
        line = lineEnd + 1;
    }
    return std::nullopt;
}

PhysicalMemory machineMemory(const std::wstring& root) {
    const std::optional<std::string> meminfo = readFileBytes(root + L"/proc/meminfo");
    if (!meminfo) return {};
    // Both figures are given in kB.
    const std::optional<std::uint64_t> total = numberAfter(*meminfo, "MemTotal:");
    const std::optional<std::uint64_t> available = numberAfter(*meminfo, "MemAvailable:");
    if (!total || !available) return {};
    return {*total * 1024, *available * 1024};
}

// The process's place in the hierarchy that accounts for its memory.
struct MemoryGroup {
    std::wstring mount;  // the folder the hierarchy is mounted on
    std::wstring path;   // the group within the hierarchy: "/" or "/a/b"
    const wchar_t* limitFile;
    const wchar_t* usageFile;
};

bool hasMemoryController(const std::string& controllers) {
    return ("," + controllers + ",").find(",memory,") != std::string::npos;
}

// From the lines "id:controllers:path" of /proc/self/cgroup: the v1 hierarchy with the memory
// controller where there is one (a hybrid system keeps the memory controller there), the unified
// v2 hierarchy ("0::path") otherwise.
std::optional<MemoryGroup> memoryGroup(const std::wstring& root) {
    const std::optional<std::string> text = readFileBytes(root + L"/proc/self/cgroup");
    if (!text) return std::nullopt;
    std::optional<MemoryGroup> unified;
    std::istringstream lines(*text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find(':');
        if (first == std::string::npos) continue;
        const std::size_t second = line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::wstring path = fromUtf8(line.substr(second + 1));
        if (hasMemoryController(line.substr(first + 1, second - first - 1))) {
            return MemoryGroup{root + L"/sys/fs/cgroup/memory", path, L"memory.limit_in_bytes", L"memory.usage_in_bytes"};
        }
        if (line.rfind("0::", 0) == 0) unified = MemoryGroup{root + L"/sys/fs/cgroup", path, L"memory.max", L"memory.current"};
    }
    return unified;
}

// The number a control group file starts with; empty for a missing file or "max" (no limit).
std::optional<std::uint64_t> numberIn(const std::wstring& file) {
    const std::optional<std::string> text = readFileBytes(file);
    if (!text || text->empty() || (*text)[0] < '0' || (*text)[0] > '9') return std::nullopt;
    return std::strtoull(text->c_str(), nullptr, 10);
}

struct MemoryLimit {
    std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
    std::optional<std::uint64_t> usage;
};

// The smallest limit from the group up to the hierarchy's root, and the usage of the deepest
// folder that reports one. A container sees its own group as the root of the mount, while
// /proc/self/cgroup may name it by the host's path: missing folders are passed over.
MemoryLimit limitOf(const MemoryGroup& group) {
    MemoryLimit found;
    std::wstring path = group.path;
    for (;;) {
        const std::wstring folder = group.mount + (path == L"/" ? L"" : path) + L"/";
        found.limit = std::min(found.limit, numberIn(folder + group.limitFile).value_or(found.limit));
        if (!found.usage) found.usage = numberIn(folder + group.usageFile);
        const std::size_t slash = path.rfind(L'/');
        if (path == L"/" || slash == std::wstring::npos) return found;
        path.erase(slash == 0 ? 1 : slash);
    }
}

}  // namespace

PhysicalMemory physicalMemoryUnder(const std::wstring& root) {
    PhysicalMemory memory = machineMemory(root);
    const std::optional<MemoryGroup> group = memoryGroup(root);
    if (!group) return memory;
    const MemoryLimit limit = limitOf(*group);
    const std::uint64_t usage = limit.usage.value_or(0);
    memory.totalBytes = std::min(memory.totalBytes, limit.limit);
    memory.availableBytes = std::min(memory.availableBytes, limit.limit > usage ? limit.limit - usage : 0);
    return memory;
}

}  // namespace platform::posix
