// The running process as both systems describe it.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

TEST(ExecutablePath, IsTheFullPathOfThisTestProgram) {
    const std::wstring path = platform::executablePath();
    EXPECT_TRUE(endsWith(path, platform::kPathSeparator + fromUtf8(WEXAL_TEST_PROGRAM_NAME))) << toUtf8(path);
    EXPECT_TRUE(platform::findsEntry(path)) << toUtf8(path);
}

TEST(OperatingSystemBitness, Is64OnTheMachinesTheTestsRunOn) {
    // A 32-bit build under a 64-bit Wine learns it from the WOW64 layer.
    EXPECT_EQ(platform::operatingSystemBitness(), L"64");
}

TEST(RunAsVmMainThread, ReturnsWhatTheBodyReturns) {
    EXPECT_EQ(platform::runAsVmMainThread(1 << 20, [] { return 17; }), 17);
}

TEST(RunAsVmMainThread, PassesAFailureOfTheBodyOnToTheCaller) {
    EXPECT_THROW(platform::runAsVmMainThread(1 << 20, []() -> int { throw std::runtime_error("body failed"); }), std::runtime_error);
}

}  // namespace
