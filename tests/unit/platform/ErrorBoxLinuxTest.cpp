// The error report on Linux: one UTF-8 line on stderr.
#include <gtest/gtest.h>

#include "platform/ErrorBox.h"

namespace {

TEST(ShowErrorBoxOnLinux, WritesCaptionAndTextAsOneLineOnStderr) {
    testing::internal::CaptureStderr();
    platform::showErrorBox(L"/opt/app/wexal", L"Error in Java launcher. Cannot find main Java class caf\u00e9/Main");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "/opt/app/wexal: Error in Java launcher. Cannot find main Java class caf\xc3\xa9/Main\n");
}

}  // namespace
