// The running process where Windows differs: the environment ignores case, and the VM's main
// thread is the calling thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/Process.h"
#include "platform/win32/Win32.h"

namespace {

TEST(ReadGrowingText, GrowsTheBufferUntilALongPathFits) {
    // As GetModuleFileNameW does: a text that does not fit is cut, and the buffer's size returned.
    for (const std::size_t length : {std::size_t{0}, std::size_t{259}, std::size_t{260}, std::size_t{1000}, std::size_t{32767}}) {
        const std::wstring path(length, L'p');
        const std::wstring read = platform::win32::readGrowingText([&](wchar_t* buffer, DWORD size) {
            const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
            path.copy(buffer, copied);
            buffer[copied] = L'\0';
            return static_cast<DWORD>(path.size() < size ? path.size() : size);
        });
        EXPECT_EQ(read, path) << length;
    }
}

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
