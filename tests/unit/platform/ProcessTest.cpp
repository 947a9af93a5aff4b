// The running process as both systems describe it.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/Files.h"
#include "platform/OutputCapture.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/StandardStreams.h"
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

// More than a pipe holds at once, written through the system's own handle or descriptor, has all
// reached the sink when the capture ends.
TEST(OutputCapture, HandsEverythingWrittenToTheSinkBeforeItEnds) {
    constexpr std::size_t kLength = 200000;
    std::string received;
    {
        const auto capture = platform::OutputCapture::start(platform::StandardStream::output,
                                                            [&received](const std::string& bytes) { received += bytes; });
        ASSERT_TRUE(capture);
        platform::writeOutputLine(std::wstring(kLength, L'x'));
    }
    ASSERT_GT(received.size(), kLength);
    EXPECT_EQ(received.find_first_not_of('x'), kLength);
    EXPECT_EQ(received.back(), '\n');
}

}  // namespace
