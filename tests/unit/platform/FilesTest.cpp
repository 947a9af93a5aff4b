// The file system services as both systems provide them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DirectoryListing.h"
#include "ScopedCurrentDirectory.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"

namespace {

using namespace std::string_literals;

const std::wstring kSeparator(1, platform::kPathSeparator);

TEST(FindsEntry, FindsWhatASearchForTheUnchangedPathFinds) {
    TempDir dir;
    dir.writeFile(L"app.jar", "jar");
    dir.writeFile(L"lib" + kSeparator + L"x.jar", "");
    const struct {
        std::wstring relative;
        bool found;
    } cases[] = {
        {L"app.jar", true},      {L"lib", true},          {L"*.jar", true},
        {L"a??.jar", true},      {L"*.txt", false},       {L"missing.jar", false},
        {L"lib" + kSeparator, false},
        // Wildcards count only in the last component.
        {L"lib" + kSeparator + L"*.jar", true}, {L"l?b" + kSeparator + L"x.jar", false}, {L"*" + kSeparator + L"x.jar", false},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(platform::findsEntry(dir / each.relative), each.found) << toUtf8(each.relative);
    }
}

TEST(ListDirectory, ListsEveryEntryWithDotAndDotDotAndTellsFoldersFromFiles) {
    TempDir dir;
    dir.writeFile(L"a.jar", "jar");
    dir.writeFile(L"notes.txt", "");
    dir.makeDir(L"ext");
    EXPECT_EQ(sortedListing(dir.path() + kSeparator), (std::vector<std::string>{"../", "./", "a.jar", "ext/", "notes.txt"}));
}

TEST(ListDirectory, ReportsAMissingFolderWithoutVisitingAnything) {
    TempDir dir;
    bool visited = false;
    const bool started = platform::listDirectory(dir / (L"missing" + kSeparator), [&](const platform::DirectoryEntry&) { visited = true; });
    EXPECT_FALSE(started);
    EXPECT_FALSE(visited);
}

TEST(DirectoryIdentity, IsTheSameForTwoPathsToOneFolderAndDiffersBetweenFolders) {
    TempDir dir;
    const std::wstring lib = dir.makeDir(L"lib");
    const std::wstring ext = dir.makeDir(L"ext");
    const auto direct = platform::directoryIdentity(lib);
    ASSERT_TRUE(direct);
    EXPECT_EQ(platform::directoryIdentity(ext + kSeparator + L".." + kSeparator + L"lib"), direct);
    EXPECT_FALSE(platform::directoryIdentity(ext) == direct);
    EXPECT_EQ(platform::directoryIdentity(dir / L"missing"), std::nullopt);
}

TEST(ReadFileBytes, ReturnsTheBytesUnchanged) {
    TempDir dir;
    // Line ends, the old end-of-file mark 0x1A and NUL must all survive.
    const std::string bytes = "first\r\nsecond\nthird\x1a" "after\0end"s;
    EXPECT_EQ(platform::readFileBytes(dir.writeFile(L"data.lap", bytes)), bytes);
}

TEST(ReadFileBytes, ReturnsAnEmptyTextForAnEmptyFile) {
    TempDir dir;
    EXPECT_EQ(platform::readFileBytes(dir.writeFile(L"empty.lap", "")), std::string());
}

TEST(ReadFileBytes, ReturnsNothingForAFolderOrAMissingFile) {
    TempDir dir;
    EXPECT_EQ(platform::readFileBytes(dir.makeDir(L"folder.lap")), std::nullopt);
    EXPECT_EQ(platform::readFileBytes(dir / L"missing.lap"), std::nullopt);
}

TEST(ChangeDirectory, MakesTheFolderCurrentAndResolvesRelativePathsAgainstIt) {
    TempDir dir;
    dir.makeDir(L"sub");
    ScopedCurrentDirectory restore;
    ASSERT_TRUE(platform::changeDirectory(dir.path()));
    EXPECT_EQ(platform::currentDirectory(), dir.path());
    ASSERT_TRUE(platform::changeDirectory(L"sub"));
    EXPECT_EQ(platform::currentDirectory(), dir / L"sub");
}

TEST(ChangeDirectory, FailsForAMissingFolderAndKeepsTheCurrentOne) {
    TempDir dir;
    ScopedCurrentDirectory restore;
    ASSERT_TRUE(platform::changeDirectory(dir.path()));
    EXPECT_FALSE(platform::changeDirectory(dir / L"missing"));
    EXPECT_EQ(platform::currentDirectory(), dir.path());
}

}  // namespace
