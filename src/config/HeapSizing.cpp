// Heap sizing: the memory settings of the configuration, and the "-Xmx" and "-Xms" options made
// from them at launch.
#include "config/HeapSizing.h"

#include <algorithm>
#include <limits>

#include "config/Properties.h"
#include "platform/Memory.h"
#include "util/Text.h"

namespace heap {

namespace {

constexpr std::uint32_t kLargestSigned = 2147483647;

}  // namespace

std::uint32_t percentOfMemoryKb(const std::wstring& percentText, std::uint64_t bytes) {
    const double percent = std::clamp(toNumber(percentText), 0.0, 100.0);
    const double kilobytes = static_cast<double>(bytes >> 10) * percent / 100.0;
    // 2 TB and more do not fit the signed 32 bits of the figure: saturate rather than wrap.
    if (kilobytes >= static_cast<double>(kLargestSigned)) return kLargestSigned;
    return static_cast<std::uint32_t>(kilobytes);
}

std::uint32_t readLimitKb(const std::wstring& text) {
    std::size_t position = 0;
    while (position < text.size() && isClassicSpace(text[position])) ++position;
    const bool negative = position < text.size() && text[position] == L'-';
    if (position < text.size() && (text[position] == L'+' || text[position] == L'-')) ++position;
    // Held at 2^31, the magnitude of the most negative 32-bit number, so it cannot overflow.
    constexpr std::int64_t kMostMagnitude = std::int64_t{kLargestSigned} + 1;
    std::int64_t magnitude = 0;
    for (; position < text.size() && isAsciiDigit(text[position]); ++position) {
        magnitude = std::min(magnitude * 10 + (text[position] - L'0'), kMostMagnitude);
    }
    const std::int64_t value = negative ? -magnitude : std::min(magnitude, std::int64_t{kLargestSigned});
    // The signed figure's 32 bits are kept as they are: -1 becomes 4294967295.
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

std::uint32_t kilobytesOf(std::uint64_t bytes) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes >> 10, std::numeric_limits<std::uint32_t>::max()));
}

std::uint32_t largestFreeAddressRegion() {
    return kilobytesOf(platform::largestFreeAddressRegion());
}

std::uint32_t heapCapKb(std::uint32_t largestFreeRegionKb) {
    // A cap of 0 would drop the "-Xmx" option and let the VM pick a heap of its own choosing,
    // which is the very thing the check is there to prevent.
    if (largestFreeRegionKb <= kAddressSpaceReserveKb) return kSmallestCapKb;
    return largestFreeRegionKb - kAddressSpaceReserveKb;
}

HeapSizes computeHeapSizes(const HeapSettings& settings, std::optional<std::uint32_t> largestFreeRegionKb) {
    // Lower limits first, so that a lower limit above the upper one gives way to it.
    std::uint32_t max = std::min(std::max(settings.max, settings.maxLowerLimit), settings.maxUpperLimit);
    // Unchecked, limits of -1 would otherwise ask for 4294967295 KB.
    max = std::min(max, largestFreeRegionKb ? heapCapKb(*largestFreeRegionKb) : kLargestSigned);
    const std::uint32_t init = std::min({std::max(settings.init, settings.initLowerLimit), settings.initUpperLimit, max});
    return {max, init};
}

}  // namespace heap

void Properties::setMemoryCheckLimits(const std::wstring& value) {
    m_memoryCheckLimits = toBool(value);
}

void Properties::setMemoryMaxAvailablePercent(const std::wstring& value) {
    m_memoryMax = heap::percentOfMemoryKb(value, platform::physicalMemory().availableBytes);
}

void Properties::setMemoryMaxTotalPercent(const std::wstring& value) {
    m_memoryMax = heap::percentOfMemoryKb(value, platform::physicalMemory().totalBytes);
}

void Properties::setMemoryInitAvailablePercent(const std::wstring& value) {
    m_memoryInit = heap::percentOfMemoryKb(value, platform::physicalMemory().availableBytes);
}

void Properties::setMemoryInitTotalPercent(const std::wstring& value) {
    m_memoryInit = heap::percentOfMemoryKb(value, platform::physicalMemory().totalBytes);
}

void Properties::setMemoryMaxUpperLimit(const std::wstring& value) {
    m_memoryMaxUpperLimit = heap::readLimitKb(value);
}

void Properties::setMemoryMaxLowerLimit(const std::wstring& value) {
    m_memoryMaxLowerLimit = heap::readLimitKb(value);
}

void Properties::setMemoryInitUpperLimit(const std::wstring& value) {
    m_memoryInitUpperLimit = heap::readLimitKb(value);
}

void Properties::setMemoryInitLowerLimit(const std::wstring& value) {
    m_memoryInitLowerLimit = heap::readLimitKb(value);
}

void Properties::computeMemoryOptions() {
    heap::HeapSettings settings;
    settings.max = m_memoryMax;
    settings.maxLowerLimit = m_memoryMaxLowerLimit;
    settings.maxUpperLimit = m_memoryMaxUpperLimit;
    settings.init = m_memoryInit;
    settings.initLowerLimit = m_memoryInitLowerLimit;
    settings.initUpperLimit = m_memoryInitUpperLimit;
    std::optional<std::uint32_t> largestFreeRegionKb;
    if (m_memoryCheckLimits) largestFreeRegionKb = heap::largestFreeAddressRegion();
    const heap::HeapSizes sizes = heap::computeHeapSizes(settings, largestFreeRegionKb);
    m_memoryMax = sizes.max;
    m_memoryInit = sizes.init;
    if (m_memoryMax != 0) m_javaSystemProperties.push_back(L"-Xmx" + toDecimal(m_memoryMax) + L"k");
    if (m_memoryInit != 0) m_javaSystemProperties.push_back(L"-Xms" + toDecimal(m_memoryInit) + L"k");
}
