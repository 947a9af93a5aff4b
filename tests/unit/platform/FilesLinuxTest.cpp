// The file system services where Linux differs: dot files, symbolic links, glob patterns, UTF-8
// lines ending in LF.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "DirectoryListing.h"
#include "platform/Files.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"

namespace {

void makeLink(const std::wstring& target, const std::wstring& link) {
    ASSERT_EQ(symlink(toUtf8(target).c_str(), toUtf8(link).c_str()), 0);
}

TEST(ListDirectoryOnLinux, ListsDotFilesAndReportsLinksByWhereTheyLead) {
    TempDir dir;
    dir.writeFile(L".hidden", "");
    dir.writeFile(L"plain", "");
    dir.makeDir(L"folder");
    makeLink(dir / L"folder", dir / L"toFolder");
    makeLink(dir / L"plain", dir / L"toFile");
    makeLink(dir / L"missing", dir / L"broken");
    EXPECT_EQ(sortedListing(dir.path() + L"/"),
              (std::vector<std::string>{"../", "./", ".hidden", "broken", "folder/", "plain", "toFile", "toFolder/"}));
}

TEST(DirectoryIdentityOnLinux, IsTheSameThroughASymbolicLink) {
    TempDir dir;
    dir.makeDir(L"lib/ext");
    makeLink(dir / L"lib", dir / L"lib/ext/loop");
    const auto identity = platform::directoryIdentity(dir / L"lib");
    ASSERT_TRUE(identity);
    EXPECT_EQ(platform::directoryIdentity(dir / L"lib/ext/loop"), identity);
}

TEST(FindsEntryOnLinux, TreatsOnlyStarAndQuestionMarkAsWildcards) {
    TempDir dir;
    dir.writeFile(L"a[1].jar", "");
    dir.writeFile(L"b.jar", "");
    dir.writeFile(L".config", "");
    const struct {
        std::wstring relative;
        bool found;
    } cases[] = {
        {L"a[1].jar", true},  // brackets are part of the name, not a character class
        {L"[ab].jar", false},
        {L"a\\[1].jar", false},
        {L"*fig", true},  // a wildcard matches a leading dot, as on Windows
        {L"?.jar", true},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(platform::findsEntry(dir / each.relative), each.found) << toUtf8(each.relative);
    }
}

TEST(AppendLineToFileOnLinux, CreatesTheFileAndAppendsUtf8LinesEndingInLineFeed) {
    TempDir dir;
    const std::wstring file = dir / L"debug.log";
    platform::appendLineToFile(file, L"The chosen JVM: first");
    platform::appendLineToFile(file, L"caf\u00e9 \u20ac \U0001F600");
    EXPECT_EQ(platform::readFileBytes(file), "The chosen JVM: first\ncaf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\n");
}

TEST(AppendLineToFileOnLinux, DoesNothingWhenTheFileCannotBeOpened) {
    TempDir dir;
    platform::appendLineToFile(dir / L"missing/debug.log", L"line");
    EXPECT_FALSE(platform::findsEntry(dir / L"missing"));
}

}  // namespace
