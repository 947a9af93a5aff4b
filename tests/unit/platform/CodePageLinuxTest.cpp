// Narrow text on Linux: UTF-8 whatever the code page, and no short names.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "support/TempDir.h"

namespace {

TEST(CodePageOnLinux, IsUtf8WhateverTheCodePageAndHoldsEveryCharacter) {
    EXPECT_EQ(platform::vmCodePage(), platform::kUtf8CodePage);
    for (const unsigned codePage : {platform::kUtf8CodePage, 1252u, 936u}) {
        EXPECT_EQ(platform::toCodePage(L"/opt/caf\u00e9/\u4e2d/splash-1.png", codePage), "/opt/caf\xc3\xa9/\xe4\xb8\xad/splash-1.png");
        EXPECT_EQ(platform::toCodePage(L"", codePage), "");
    }
}

TEST(ShortPathNameOnLinux, IsNeverThere) {
    TempDir dir;
    EXPECT_EQ(platform::shortPathName(dir.makeDir(L"a long folder name")), std::nullopt);
}

}  // namespace
