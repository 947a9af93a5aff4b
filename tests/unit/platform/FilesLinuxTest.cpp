// The file system services where Linux differs: dot files, symbolic links, glob patterns, UTF-8
// lines ending in LF.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
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

TEST(ListDirectoryOnLinux, ListsInTheOrderOfAWindowsFileSystemWhateverTheOrderOfCreation) {
    TempDir dir;
    // Upper-cased UTF-16 code units in ordinal order: ä (Ä, C4) before Ö (D6), and the surrogate
    // pair of U+1F600 (D83D) before the fullwidth A (FF21).
    const std::vector<std::wstring> names = {L"A.jar", L"a2.jar", L"b.jar", L"C.jar", L"_x.jar",
                                             L"\u00e4.jar", L"\u00d6.jar", L"\U0001F600.jar", L"\uFF21.jar"};
    // Created in code point order (a file system may list in creation order or its reverse),
    // through their UTF-8 names, which std::filesystem cannot convert in the C locale.
    std::vector<std::wstring> creationOrder = names;
    std::sort(creationOrder.begin(), creationOrder.end());
    for (const std::wstring& name : creationOrder) std::ofstream(toUtf8(dir / name));
    std::vector<std::wstring> listed;
    platform::listDirectory(dir.path() + L"/", [&](const platform::DirectoryEntry& entry) { listed.push_back(entry.name); });
    std::vector<std::wstring> expected = {L".", L".."};
    expected.insert(expected.end(), names.begin(), names.end());
    EXPECT_EQ(listed, expected);
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
