// Scans through symbolic links (Linux): a link that leads back up must neither loop nor crash, and
// a folder reached along several paths is entered once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PathListSupport.h"
#include "config/Properties.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kListSeparator(1, platform::kPathListSeparator);

class ClassAndLibraryPathLinkTest : public testing::Test {
protected:
    // Creates the link `relative` in the test folder leading to `target` (taken as written).
    void link(const std::wstring& relative, const std::wstring& target) const {
        fs::create_directory_symlink(fs::path(target), fs::path(temp / relative));
    }

    TempDir temp;
    Properties properties;
};

// Each test holds a single link back up: should the scan follow it, the system's limit on links in
// one path ends the descent after some forty levels, so a fault shows as duplicates, not a hang.
TEST_F(ClassAndLibraryPathLinkTest, RecursiveJarScanDoesNotEnterALinkBackToAFolderItIsInside) {
    const std::wstring lib = temp.makeDir(L"lib");
    temp.writeFile(joinPath({L"lib", L"a.jar"}), "");
    temp.writeFile(joinPath({L"lib", L"sub", L"b.jar"}), "");
    link(joinPath({L"lib", L"sub", L"up"}), L"..");
    properties.addJarsToClasspath(lib, true);
    const std::vector<std::wstring> expected = {joinPath({lib, L"a.jar"}), joinPath({lib, L"sub", L"b.jar"})};
    EXPECT_EQ(utf8(sorted(entriesOf(properties.getJarsInClasspath()))), utf8(sorted(expected)));
}

TEST_F(ClassAndLibraryPathLinkTest, RecursiveJarScanDoesNotEnterALinkToItself) {
    const std::wstring lib = temp.makeDir(L"lib");
    temp.writeFile(joinPath({L"lib", L"a.jar"}), "");
    link(joinPath({L"lib", L"self"}), L".");
    properties.addJarsToClasspath(lib, true);
    EXPECT_EQ(utf8(entriesOf(properties.getJarsInClasspath())), utf8({joinPath({lib, L"a.jar"})}));
}

TEST_F(ClassAndLibraryPathLinkTest, RecursiveJarScanEntersAFolderReachedTwiceOnlyThroughThePathListedFirst) {
    const std::wstring lib = temp.makeDir(L"lib");
    temp.writeFile(joinPath({L"lib", L"real", L"r.jar"}), "");
    link(joinPath({L"lib", L"alias"}), L"real");
    properties.addJarsToClasspath(lib, true);
    EXPECT_EQ(utf8(entriesOf(properties.getJarsInClasspath())), utf8({joinPath({lib, L"alias", L"r.jar"})}));
}

TEST_F(ClassAndLibraryPathLinkTest, RecursiveLibraryScanListsEveryPathToAFolderButEntersItOnce) {
    temp.makeDir(joinPath({L"lib", L"shared", L"inner"}));
    link(joinPath({L"lib", L"a"}), L"shared");
    link(joinPath({L"lib", L"b"}), L"shared");
    const std::wstring top = temp / L"lib";
    properties.addLibraryPathDirectories(top, true);
    const std::vector<std::wstring> expected = {top, joinPath({top, L"a"}), joinPath({top, L"a", L"inner"}), joinPath({top, L"b"}),
                                                joinPath({top, L"shared"})};
    EXPECT_EQ(utf8(entriesOf(properties.getLibraryPath())), utf8(expected));
}

TEST_F(ClassAndLibraryPathLinkTest, RecursiveLibraryScanListsALinkBackUpButDoesNotEnterIt) {
    temp.makeDir(joinPath({L"lib", L"sub"}));
    link(joinPath({L"lib", L"sub", L"up"}), L"..");
    const std::wstring top = temp / L"lib";
    properties.addLibraryPathDirectories(top, true);
    const std::wstring expected =
        kListSeparator + top + kListSeparator + joinPath({top, L"sub"}) + kListSeparator + joinPath({top, L"sub", L"up"});
    EXPECT_EQ(toUtf8(properties.getLibraryPath()), toUtf8(expected));
}

TEST_F(ClassAndLibraryPathLinkTest, RecursiveLibraryScanDoesNotEnterALinkToItself) {
    const std::wstring lib = temp.makeDir(L"lib");
    link(joinPath({L"lib", L"self"}), L".");
    properties.addLibraryPathDirectories(lib, true);
    EXPECT_EQ(toUtf8(properties.getLibraryPath()), toUtf8(kListSeparator + lib + kListSeparator + joinPath({lib, L"self"})));
}

}  // namespace
