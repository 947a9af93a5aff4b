// Narrow text on Windows: code pages without best-fit look-alikes, and short names.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/TextEncoding.h"
#include "platform/win32/Win32.h"
#include "support/TempDir.h"

namespace {

TEST(CodePageOnWindows, IsTheProcessAnsiCodePage) {
    EXPECT_EQ(platform::vmCodePage(), GetACP());
}

TEST(CodePageOnWindows, ConvertsOnlyWhatTheCodePageHoldsExactly) {
    const struct {
        unsigned codePage;
        std::wstring text;
        std::optional<std::string> narrow;
    } cases[] = {
        {1252, L"splash-1.png", "splash-1.png"},
        {1252, L"", ""},
        {1252, L"C:\\Users\\Jos\u00e9", "C:\\Users\\Jos\xe9"},
        {1252, L"\u20ac \u00df", "\x80 \xdf"},
        {1252, L"C:\\\u4e2d", std::nullopt},
        {1252, L"\u0101", std::nullopt},  // best fit would give "a"
        {1252, L"\u2248", std::nullopt},  // best fit would give "="
        {936, L"C:\\\u4e2d\u6587\\Jos\u00e9", "C:\\\xd6\xd0\xce\xc4\\Jos\xa8\xa6"},
        {936, L"Stra\u00dfe", std::nullopt},
        {platform::kUtf8CodePage, L"\u4e2d \U0001F600", "\xe4\xb8\xad \xf0\x9f\x98\x80"},
        {platform::kUtf8CodePage, std::wstring(1, static_cast<wchar_t>(0xD800)), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text) + " in " + std::to_string(c.codePage));
        EXPECT_EQ(platform::toCodePage(c.text, c.codePage), c.narrow);
    }
}

TEST(ShortPathNameOnWindows, NamesTheSameFolderInTheCodePage) {
    TempDir dir;
    const std::wstring folder = dir.makeDir(L"\u4e2d\u6587 folder");
    const std::optional<std::wstring> shortPath = platform::shortPathName(folder);
    ASSERT_TRUE(shortPath);
    EXPECT_NE(platform::toCodePage(*shortPath, 1252), std::nullopt) << toUtf8(*shortPath);
    const std::optional<platform::FileIdentity> identity = platform::directoryIdentity(folder);
    ASSERT_TRUE(identity);
    EXPECT_EQ(platform::directoryIdentity(*shortPath), identity);
}

TEST(ShortPathNameOnWindows, IsMissingForAPathThatDoesNotExist) {
    TempDir dir;
    EXPECT_EQ(platform::shortPathName(dir / L"\u4e2d"), std::nullopt);
}

}  // namespace
