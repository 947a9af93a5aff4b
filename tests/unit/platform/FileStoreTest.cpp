// Keeping files of one's own, and writing whole files into place, as both systems provide it.
#include "platform/FileStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/PrivateFolders.h"
#include "support/TempDir.h"

namespace {

TEST(FileStamp, ChangesWithTheFilesSizeAndIsEmptyForAMissingFile) {
    TempDir dir;
    const std::wstring file = dir.writeFile(L"app.jar", "four");
    const std::optional<platform::FileStamp> before = platform::fileStamp(file);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size, 4u);
    dir.writeFile(L"app.jar", "sixsix");
    EXPECT_EQ(platform::fileStamp(file)->size, 6u);
    EXPECT_FALSE(platform::fileStamp(dir / L"missing.jar"));
}

TEST(ReadFileStart, ReadsAtMostTheFirstBytes) {
    TempDir dir;
    const std::wstring file = dir.writeFile(L"archive.jsa", "magic and more");
    EXPECT_EQ(platform::readFileStart(file, 5), "magic");
    EXPECT_EQ(platform::readFileStart(file, 100), "magic and more");
    EXPECT_FALSE(platform::readFileStart(dir / L"missing.jsa", 5));
}

TEST(CreateDirectories, CreatesMissingParentsAndAcceptsAnExistingFolderButNoFile) {
    TempDir dir;
    EXPECT_TRUE(platform::createDirectories(dir / L"a/b/c"));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(dir / L"a/b/c")));
    EXPECT_TRUE(platform::createDirectories(dir / L"a"));
    const std::wstring file = dir.writeFile(L"file", "x");
    EXPECT_FALSE(platform::createDirectories(file));
    EXPECT_FALSE(platform::createDirectories(dir / L"file/below"));
}

TEST(CreateNewFile, CreatesOnlyWhatDoesNotExist) {
    TempDir dir;
    EXPECT_TRUE(platform::createNewFile(dir / L"probe"));
    EXPECT_FALSE(platform::createNewFile(dir / L"probe"));
    EXPECT_FALSE(platform::createNewFile(dir / L"missing/probe"));
}

TEST(RemoveFile, RemovesAReadOnlyFileAndFailsForAMissingOne) {
    TempDir dir;
    const std::wstring file = dir.writeFile(L"archive.jsa", "x");
    std::filesystem::permissions(std::filesystem::path(file), std::filesystem::perms::owner_read);
    EXPECT_TRUE(platform::removeFile(file));
    EXPECT_FALSE(platform::findsEntry(file));
    EXPECT_FALSE(platform::removeFile(file));
}

TEST(RenameWithoutReplacing, MovesTheFileUnlessTheNameIsTaken) {
    TempDir dir;
    const std::wstring first = dir.writeFile(L"first.part", "first");
    const std::wstring second = dir.writeFile(L"second.part", "second");
    EXPECT_TRUE(platform::renameWithoutReplacing(first, dir / L"cache.jsa"));
    EXPECT_FALSE(platform::findsEntry(first));
    EXPECT_FALSE(platform::renameWithoutReplacing(second, dir / L"cache.jsa"));
    EXPECT_EQ(platform::readFileBytes(dir / L"cache.jsa"), "first");
    EXPECT_EQ(platform::readFileBytes(second), "second");
}

TEST(WriteNewFile, WritesEveryByteOfANewFileOnly) {
    TempDir dir;
    const std::string bytes("MZ\0\x90 and more", 14);
    EXPECT_TRUE(platform::writeNewFile(dir / L"out.exe", bytes));
    EXPECT_EQ(platform::readFileBytes(dir / L"out.exe"), bytes);
    EXPECT_FALSE(platform::writeNewFile(dir / L"out.exe", "other"));
    EXPECT_EQ(platform::readFileBytes(dir / L"out.exe"), bytes);
    EXPECT_FALSE(platform::writeNewFile(dir / L"missing/out.exe", bytes));
}

TEST(RenameReplacing, ReplacesAnExistingFileAndFailsForAMissingSource) {
    TempDir dir;
    const std::wstring target = dir.writeFile(L"out.exe", "old");
    EXPECT_TRUE(platform::renameReplacing(dir.writeFile(L"out.exe.tmp", "new"), target));
    EXPECT_EQ(platform::readFileBytes(target), "new");
    EXPECT_FALSE(platform::findsEntry(dir / L"out.exe.tmp"));
    EXPECT_FALSE(platform::renameReplacing(dir / L"out.exe.tmp", target));
    EXPECT_EQ(platform::readFileBytes(target), "new");
}

TEST(FreeBytes, IsKnownForAFolderAndUnknownForAMissingOne) {
    TempDir dir;
    EXPECT_GT(platform::freeBytes(dir.path()).value_or(0), 0u);
    EXPECT_FALSE(platform::freeBytes(dir / L"missing"));
}

TEST(PrivateFolders, CreatedFoldersArePrivateAndOnlyFoldersQualify) {
    TempDir dir;
    const std::wstring folder = dir / (std::wstring(L"below") + platform::kPathSeparator + L"cache");
    ASSERT_TRUE(platform::createPrivateDirectories(folder));
    EXPECT_EQ(platform::whyNotPrivate(folder), std::nullopt);
    EXPECT_EQ(platform::whyNotPrivate(dir.writeFile(L"file", "")), std::wstring(L"it is no folder"));
    EXPECT_EQ(platform::whyNotPrivate(dir / L"missing"), std::wstring(L"it cannot be read"));
    EXPECT_FALSE(platform::createPrivateDirectories(dir / (std::wstring(L"file") + platform::kPathSeparator + L"cache")));
}

}  // namespace
