// Heap sizing: percentages, limit texts, the address-space cap and the "-Xmx" and "-Xms" options.
#include "config/HeapSizing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/Properties.h"
#include "platform/TextEncoding.h"

namespace {

constexpr std::uint64_t kKilobyte = 1024;
constexpr std::uint64_t kEightGigabytes = 8388608 * kKilobyte;
constexpr std::uint64_t kFourTerabytes = std::uint64_t{1} << 42;
constexpr std::uint32_t kNoLimit = 2147483647;
constexpr std::uint32_t kMinusOne = 4294967295;

TEST(PercentOfMemory, ClampsThePercentageAndTruncatesTheKilobytes) {
    const struct {
        std::wstring percent;
        std::uint64_t bytes;
        std::uint32_t kilobytes;
    } cases[] = {
        {L"25", kEightGigabytes, 2097152},
        {L"50", kEightGigabytes, 4194304},
        {L"12.5", kEightGigabytes, 1048576},
        {L"50%", kEightGigabytes, 4194304},
        {L"150", kEightGigabytes, 8388608},
        {L"-5", kEightGigabytes, 0},
        {L"abc", kEightGigabytes, 0},
        {L"", kEightGigabytes, 0},
        {L"33.33", 1000 * kKilobyte, 333},
        {L"100", 1023, 0},
        // A memory status that cannot be read counts as 0 bytes.
        {L"100", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(heap::percentOfMemoryKb(c.percent, c.bytes), c.kilobytes) << toUtf8(c.percent) << " of " << c.bytes;
    }
}

TEST(PercentOfMemory, SaturatesAFigureBeyondThirtyOneBits) {
    EXPECT_EQ(heap::percentOfMemoryKb(L"25", kFourTerabytes), 1073741824u);
    EXPECT_EQ(heap::percentOfMemoryKb(L"50", kFourTerabytes), 2147483647u);
    EXPECT_EQ(heap::percentOfMemoryKb(L"100", ~std::uint64_t{0}), 2147483647u);
}

TEST(ReadLimit, ReadsASignedDecimalKeptAsItsThirtyTwoBits) {
    const struct {
        std::wstring text;
        std::uint32_t kilobytes;
    } cases[] = {
        {L"65536", 65536},
        {L" \t+65536", 65536},
        {L"512m", 512},
        {L"12.9", 12},
        {L"0x10", 0},
        {L"-1", kMinusOne},
        {L"-2147483648", 2147483648u},
        {L"2147483647", 2147483647},
        {L"99999999999", 2147483647},
        {L"-99999999999", 2147483648u},
        {L"", 0},
        {L"abc", 0},
        {L"- 5", 0},
        {L"+", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(heap::readLimitKb(c.text), c.kilobytes) << toUtf8(c.text);
}

TEST(Kilobytes, ShiftsAndSaturatesAtThirtyTwoBits) {
    EXPECT_EQ(heap::kilobytesOf(1023), 0u);
    EXPECT_EQ(heap::kilobytesOf(1572864 * kKilobyte), 1572864u);
    // A 64-bit process has far more address space than 32 bits of kilobytes can count.
    EXPECT_EQ(heap::kilobytesOf(kFourTerabytes), kMinusOne);
    EXPECT_EQ(heap::kilobytesOf(std::uint64_t{128} << 40), kMinusOne);
}

TEST(HeapCap, KeepsTheReserveFreeAndCapsHardWhenTheRegionCannotHoldIt) {
    const struct {
        std::uint32_t regionKb;
        std::uint32_t capKb;
    } cases[] = {
        {1572864, 1368064}, {1000000, 795200}, {204801, 1}, {204800, 1},
        {204799, 1},        {0, 1},            {kMinusOne, 4294762495u},
    };
    for (const auto& c : cases) EXPECT_EQ(heap::heapCapKb(c.regionKb), c.capKb) << c.regionKb;
}

TEST(ComputeHeapSizes, AppliesTheLimitsInOrder) {
    const struct {
        const char* description;
        heap::HeapSettings settings;  // max, its lower and upper limit, init, its lower and upper limit
        std::optional<std::uint32_t> largestFreeRegionKb;
        std::uint32_t max;
        std::uint32_t init;
    } cases[] = {
        {"no memory setting", {0, 0, kNoLimit, 0, 0, kNoLimit}, std::nullopt, 0, 0},
        {"a quarter of 8 GB", {2097152, 0, kNoLimit, 0, 0, kNoLimit}, std::nullopt, 2097152, 0},
        {"init cut to max", {2097152, 0, kNoLimit, 4194304, 0, kNoLimit}, std::nullopt, 2097152, 2097152},
        {"checked in 1572864 KB", {2097152, 0, kNoLimit, 4194304, 0, kNoLimit}, 1572864u, 1368064, 1368064},
        {"checked in 1000000 KB", {2097152, 0, kNoLimit, 0, 0, kNoLimit}, 1000000u, 795200, 0},
        {"checked, below the cap", {500000, 0, kNoLimit, 0, 0, kNoLimit}, 1000000u, 500000, 0},
        {"init alone, cut to a max of 0", {0, 0, kNoLimit, 4194304, 0, kNoLimit}, std::nullopt, 0, 0},
        {"max lower limit alone", {0, 65536, kNoLimit, 0, 0, kNoLimit}, std::nullopt, 65536, 0},
        {"max lower limit above upper", {0, 900000, 500000, 0, 0, kNoLimit}, std::nullopt, 500000, 0},
        {"max lower limit of -1", {0, kMinusOne, kNoLimit, 0, 0, kNoLimit}, std::nullopt, kNoLimit, 0},
        {"unchecked limits of -1", {0, kMinusOne, kMinusOne, 0, kMinusOne, kMinusOne}, std::nullopt, kNoLimit, kNoLimit},
        {"init lower limit above upper", {1000000, 0, kNoLimit, 0, 900000, 500000}, std::nullopt, 1000000, 500000},
        {"init raised to its lower limit", {1000000, 0, kNoLimit, 100, 2048, kNoLimit}, std::nullopt, 1000000, 2048},
        {"init lower limit without max", {0, 0, kNoLimit, 0, 65536, kNoLimit}, std::nullopt, 0, 0},
        {"region smaller than the reserve", {2097152, 0, kNoLimit, 4194304, 0, kNoLimit}, 100000u, 1, 1},
        {"region smaller than the reserve, no max", {0, 0, kNoLimit, 4194304, 0, kNoLimit}, 100000u, 0, 0},
        {"saturated region", {0, kMinusOne, kMinusOne, 0, 0, kNoLimit}, kMinusOne, 4294762495u, 0},
    };
    for (const auto& c : cases) {
        const heap::HeapSizes sizes = heap::computeHeapSizes(c.settings, c.largestFreeRegionKb);
        EXPECT_EQ(sizes.max, c.max) << c.description;
        EXPECT_EQ(sizes.init, c.init) << c.description;
    }
}

std::vector<std::string> optionsOf(const Properties& properties) {
    std::vector<std::string> options;
    for (const std::wstring& option : properties.getJavaSystemProperties()) options.push_back(toUtf8(option));
    return options;
}

TEST(ComputeMemoryOptions, ProducesNoOptionWithoutAMemorySetting) {
    Properties properties;
    properties.computeMemoryOptions();
    EXPECT_TRUE(properties.getJavaSystemProperties().empty());
}

TEST(ComputeMemoryOptions, AppendsMaximumThenInitialAfterTheConfiguredOptions) {
    Properties properties;
    properties.addJavaSystemProperty(L"-Xmx256m");
    properties.setMemoryMaxLowerLimit(L"65536");
    properties.setMemoryInitLowerLimit(L"1024");
    properties.computeMemoryOptions();
    EXPECT_EQ(optionsOf(properties), (std::vector<std::string>{"-Xmx256m", "-Xmx65536k", "-Xms1024k"}));
    EXPECT_EQ(properties.getMemoryMax(), 65536u);
    EXPECT_EQ(properties.getMemoryInit(), 1024u);
}

TEST(ComputeMemoryOptions, LiftsTheMaximumToTheUpperLimitForALowerLimitOfMinusOne) {
    Properties properties;
    properties.setMemoryMaxLowerLimit(L"-1");
    properties.computeMemoryOptions();
    EXPECT_EQ(optionsOf(properties), (std::vector<std::string>{"-Xmx2147483647k"}));
}

TEST(ComputeMemoryOptions, ProducesNoOptionForAnInitialPercentageAlone) {
    Properties properties;
    properties.setMemoryInitTotalPercent(L"50");
    properties.computeMemoryOptions();
    EXPECT_TRUE(properties.getJavaSystemProperties().empty());
    EXPECT_EQ(properties.getMemoryInit(), 0u);
}

TEST(ComputeMemoryOptions, CapsTheMaximumByTheMeasuredAddressSpaceWhenChecking) {
    Properties properties;
    properties.setMemoryCheckLimits(L" yes");
    properties.setMemoryMaxLowerLimit(L"-1");
    properties.setMemoryMaxUpperLimit(L"-1");
    properties.computeMemoryOptions();
    EXPECT_TRUE(properties.isMemoryCheckLimits());
    EXPECT_GE(properties.getMemoryMax(), 1u);
    EXPECT_LE(properties.getMemoryMax(), kMinusOne - heap::kAddressSpaceReserveKb);
    EXPECT_EQ(optionsOf(properties), (std::vector<std::string>{"-Xmx" + std::to_string(properties.getMemoryMax()) + "k"}));
}

TEST(MemorySetters, LetTheLastPercentageOfOneHeapWin) {
    Properties properties;
    properties.setMemoryMaxAvailablePercent(L"100");
    properties.setMemoryMaxTotalPercent(L"0");
    EXPECT_EQ(properties.getMemoryMax(), 0u);
    properties.setMemoryInitTotalPercent(L"100");
    properties.setMemoryInitAvailablePercent(L"abc");
    EXPECT_EQ(properties.getMemoryInit(), 0u);
    properties.setMemoryMaxTotalPercent(L"0");
    properties.setMemoryMaxAvailablePercent(L"100");
    EXPECT_GT(properties.getMemoryMax(), 0u);
}

}  // namespace
