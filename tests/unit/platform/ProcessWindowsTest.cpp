// The running process where Windows differs: the environment ignores case, and the VM's main
// thread is the calling thread.
#include <gtest/gtest.h>

#include "platform/Process.h"
#include "platform/win32/Win32.h"

namespace {

TEST(EnvironmentVariableOnWindows, ReadsSetVariablesWhateverTheCaseOfTheName) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"WEXAL_TEST_VARIABLE", L"caf\u00e9"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"WEXAL_TEST_EMPTY", L""));
    SetEnvironmentVariableW(L"WEXAL_TEST_UNSET", nullptr);
    EXPECT_EQ(platform::environmentVariable(L"WEXAL_TEST_VARIABLE"), L"caf\u00e9");
    EXPECT_EQ(platform::environmentVariable(L"wexal_Test_Variable"), L"caf\u00e9");
    EXPECT_EQ(platform::environmentVariable(L"WEXAL_TEST_EMPTY"), L"");
    EXPECT_EQ(platform::environmentVariable(L"WEXAL_TEST_UNSET"), std::nullopt);
}

TEST(RunAsVmMainThreadOnWindows, RunsTheBodyOnTheCallingThread) {
    const DWORD caller = GetCurrentThreadId();
    DWORD bodyThread = 0;
    platform::runAsVmMainThread(1 << 20, [&] {
        bodyThread = GetCurrentThreadId();
        return 0;
    });
    EXPECT_EQ(bodyThread, caller);
}

}  // namespace
