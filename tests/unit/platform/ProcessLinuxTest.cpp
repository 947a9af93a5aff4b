// The running process where Linux differs: the VM's main thread, the environment, UTF-8 names.
#include <gtest/gtest.h>
#include <pthread.h>
#include <stdlib.h>

#include <cstddef>
#include <limits>
#include <optional>

#include "platform/Process.h"

namespace {

std::size_t currentThreadStackSize() {
    pthread_attr_t attributes;
    pthread_getattr_np(pthread_self(), &attributes);
    std::size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    return size;
}

TEST(RunAsVmMainThreadOnLinux, RunsTheBodyOnAThreadWithTheRequestedStack) {
    const pthread_t caller = pthread_self();
    const std::size_t requested = std::size_t{64} << 20;
    std::size_t stack = 0;
    bool otherThread = false;
    platform::runAsVmMainThread(requested, [&] {
        stack = currentThreadStackSize();
        otherThread = !pthread_equal(pthread_self(), caller);
        return 0;
    });
    EXPECT_TRUE(otherThread);
    EXPECT_GE(stack, requested);
    EXPECT_LT(stack, requested + (std::size_t{1} << 20));
}

TEST(RunAsVmMainThreadOnLinux, GivesATooSmallStackTheSmallestAThreadMayHave) {
    EXPECT_EQ(platform::runAsVmMainThread(0, [] { return 5; }), 5);
}

TEST(RunAsVmMainThreadOnLinux, IsEmptyWhenNoThreadCanHaveTheStack) {
    for (const std::size_t bytes : {std::numeric_limits<std::size_t>::max(), std::numeric_limits<std::size_t>::max() - 4096}) {
        bool ran = false;
        EXPECT_EQ(platform::runAsVmMainThread(bytes, [&] { ran = true; return 5; }), std::nullopt) << bytes;
        EXPECT_FALSE(ran);
    }
}

TEST(EnvironmentVariableOnLinux, ReadsSetVariablesByTheirExactName) {
    ASSERT_EQ(setenv("WEXAL_TEST_VARIABLE", "caf\xc3\xa9", 1), 0);
    ASSERT_EQ(setenv("WEXAL_TEST_EMPTY", "", 1), 0);
    unsetenv("WEXAL_TEST_UNSET");
    EXPECT_EQ(platform::environmentVariable(L"WEXAL_TEST_VARIABLE"), L"caf\u00e9");
    EXPECT_EQ(platform::environmentVariable(L"wexal_test_variable"), std::nullopt);
    EXPECT_EQ(platform::environmentVariable(L"WEXAL_TEST_EMPTY"), L"");
    EXPECT_EQ(platform::environmentVariable(L"WEXAL_TEST_UNSET"), std::nullopt);
}

}  // namespace
