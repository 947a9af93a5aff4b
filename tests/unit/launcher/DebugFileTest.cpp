// The debug file: lines appended, a missing file created, an unopenable one skipped.
#include "launcher/DebugFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "support/TempDir.h"

namespace {

// The file's content read in text mode, so that the system's line ends read as "\n".
std::string textOf(const std::wstring& path) {
    std::ifstream file{std::filesystem::path(path)};
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(AppendDebugLine, AppendsEachTextAsALineOfItsOwn) {
    TempDir dir;
    const std::wstring file = dir.writeFile(L"debug.txt", "earlier run\n");

    appendDebugLine(file, L"The chosen JVM: a");
    appendDebugLine(file, L"The properties chosen: b");

    EXPECT_EQ(textOf(file), "earlier run\nThe chosen JVM: a\nThe properties chosen: b\n");
}

TEST(AppendDebugLine, CreatesAMissingFile) {
    TempDir dir;

    appendDebugLine(dir / L"debug.txt", L"line");

    EXPECT_EQ(textOf(dir / L"debug.txt"), "line\n");
}

TEST(AppendDebugLine, SkipsAFileThatCannotBeOpened) {
    TempDir dir;
    const std::wstring folder = dir.makeDir(L"folder");

    appendDebugLine(folder, L"line");
    appendDebugLine(dir / L"missing" + platform::kPathSeparator + L"debug.txt", L"line");

    EXPECT_TRUE(platform::findsEntry(folder));
    EXPECT_FALSE(platform::findsEntry(dir / L"missing"));
}

}  // namespace
