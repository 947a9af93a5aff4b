// Jar files and library folders collected from configured folders, the path options and the process-id option.
#include "config/ClassAndLibraryPath.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FailingAllocation.h"
#include "PathListSupport.h"
#include "config/Properties.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"
#include "util/Text.h"

namespace {

const std::wstring kListSeparator(1, platform::kPathListSeparator);

// The names of `directory`'s entries in the order in which the system lists them.
std::vector<std::wstring> listingOrder(const std::wstring& directory) {
    std::vector<std::wstring> names;
    platform::listDirectory(directory + platform::kPathSeparator, [&](const platform::DirectoryEntry& entry) {
        names.push_back(entry.name);
    });
    return names;
}

class ClassAndLibraryPathTest : public testing::Test {
protected:
    ClassAndLibraryPathTest() {
        setDefaultErrorText(L"Error in Java launcher.");
        setShowErrorDetail(true);
    }

    // The folder `relative` inside the test folder, holding the given files (and their folders).
    std::wstring folderWith(const std::wstring& relative, const std::vector<std::wstring>& files) const {
        const std::wstring folder = temp.makeDir(relative);
        for (const std::wstring& file : files) temp.writeFile(joinPath({relative, file}), "");
        return folder;
    }

    std::vector<std::wstring> jars() const { return entriesOf(properties.getJarsInClasspath()); }
    std::vector<std::wstring> libraryDirectories() const { return entriesOf(properties.getLibraryPath()); }

    TempDir temp;
    Properties properties;
};

TEST_F(ClassAndLibraryPathTest, CollectsTheJarsOfAFolderAndItsSubfolders) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar", L"B.JAR", joinPath({L"ext", L"c.jar"}), L"notes.txt", L"x.jar.bak"});
    properties.addJarsToClasspath(lib, true);
    const std::vector<std::wstring> expected = {joinPath({lib, L"B.JAR"}), joinPath({lib, L"a.jar"}), joinPath({lib, L"ext", L"c.jar"})};
    EXPECT_EQ(utf8(sorted(jars())), utf8(sorted(expected)));

    completePathOptions(properties);
    EXPECT_EQ(utf8(properties.getJavaSystemProperties()), utf8({L"-Djava.class.path=" + properties.getJarsInClasspath().substr(1)}));
}

TEST_F(ClassAndLibraryPathTest, RecognisesJarFilesByTheirLastFourCharactersInAnyCase) {
    const std::wstring lib = folderWith(L"lib", {L"A.JAR", L"b.Jar", L"c.jar", L".hidden.jar", L".jar", L"d.jar.bak", L"e.jarx", L"fjar"});
    temp.makeDir(joinPath({L"lib", L"x.jar"}));
    properties.addJarsToClasspath(lib, false);
    const std::vector<std::wstring> expected = {
        joinPath({lib, L".hidden.jar"}), joinPath({lib, L"A.JAR"}), joinPath({lib, L"b.Jar"}), joinPath({lib, L"c.jar"})};
    EXPECT_EQ(utf8(sorted(jars())), utf8(sorted(expected)));
}

TEST_F(ClassAndLibraryPathTest, IgnoresSubfoldersWithoutRecursion) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar", joinPath({L"sub", L"b.jar"})});
    properties.addJarsToClasspath(lib, false);
    EXPECT_EQ(utf8(jars()), utf8({joinPath({lib, L"a.jar"})}));
}

TEST_F(ClassAndLibraryPathTest, NeverTakesAFolderNamedLikeAJarForAJar) {
    const std::wstring lib = folderWith(L"lib", {joinPath({L"x.jar", L"inner.jar"})});
    properties.addJarsToClasspath(lib, true);
    EXPECT_EQ(utf8(jars()), utf8({joinPath({lib, L"x.jar", L"inner.jar"})}));
}

TEST_F(ClassAndLibraryPathTest, PlacesASubfoldersJarsWhereTheSubfolderIsListed) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar", L"m.jar", joinPath({L"sub", L"s1.jar"}), joinPath({L"sub", L"s2.jar"}), L"z.jar"});
    properties.addJarsToClasspath(lib, true);
    const std::vector<std::wstring> found = jars();
    ASSERT_EQ(found.size(), 5u);

    // The subfolder's jars stand together...
    const std::size_t first = std::min(positionOf(found, joinPath({lib, L"sub", L"s1.jar"})), positionOf(found, joinPath({lib, L"sub", L"s2.jar"})));
    ASSERT_LT(first + 1, found.size());
    EXPECT_EQ(utf8(sorted({found[first], found[first + 1]})), utf8({joinPath({lib, L"sub", L"s1.jar"}), joinPath({lib, L"sub", L"s2.jar"})}));
    // ...and each other jar precedes them exactly when it is listed before the subfolder.
    const std::vector<std::wstring> listing = listingOrder(lib);
    for (const wchar_t* jar : {L"a.jar", L"m.jar", L"z.jar"}) {
        EXPECT_EQ(positionOf(found, joinPath({lib, jar})) < first, positionOf(listing, jar) < positionOf(listing, L"sub")) << toUtf8(jar);
    }
}

TEST_F(ClassAndLibraryPathTest, DoesNotDoubleATrailingSeparator) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar"});
    properties.addJarsToClasspath(lib + platform::kPathSeparator, false);
    EXPECT_EQ(toUtf8(properties.getJarsInClasspath()), toUtf8(kListSeparator + joinPath({lib, L"a.jar"})));
}

TEST_F(ClassAndLibraryPathTest, AppendsTheSeparatorToAFolderEndingInAForwardSlashOnWindows) {
    if (platform::kPathSeparator == L'/') GTEST_SKIP() << "the forward slash is the separator here";
    const std::wstring lib = folderWith(L"lib", {L"a.jar"});
    properties.addJarsToClasspath(lib + L"/", false);
    EXPECT_EQ(toUtf8(properties.getJarsInClasspath()), toUtf8(kListSeparator + lib + L"/\\a.jar"));
}

TEST_F(ClassAndLibraryPathTest, AddsTheJarsOfAFolderGivenTwiceTwice) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar"});
    properties.addJarsToClasspath(lib, false);
    properties.addJarsToClasspath(lib, true);
    const std::wstring jar = joinPath({lib, L"a.jar"});
    EXPECT_EQ(utf8(jars()), utf8({jar, jar}));
}

TEST_F(ClassAndLibraryPathTest, SkipsAMissingFolderSilentlyButStillListsItAsLibraryFolder) {
    const std::wstring missing = temp / L"missing";
    properties.addJarsToClasspath(missing, true);
    properties.addLibraryPathDirectories(missing, true);
    EXPECT_EQ(toUtf8(properties.getJarsInClasspath()), "");
    EXPECT_EQ(toUtf8(properties.getLibraryPath()), toUtf8(kListSeparator + missing));
}

TEST_F(ClassAndLibraryPathTest, ScansNothingForAnEmptyFolderValue) {
    properties.addJarsToClasspath(L"", true);
    properties.addJarsToClasspath(L"", false);
    EXPECT_EQ(toUtf8(properties.getJarsInClasspath()), "");
    properties.addLibraryPathDirectories(L"", true);
    properties.addLibraryPathDirectories(L"", false);
    EXPECT_EQ(toUtf8(properties.getLibraryPath()), "");
}

TEST_F(ClassAndLibraryPathTest, ListsLibraryFoldersBeforeTheirSubfolders) {
    const std::wstring lib = folderWith(L"lib", {L"file.dll", joinPath({L"one", L"inner", L"x.dll"})});
    temp.makeDir(joinPath({L"lib", L"two"}));
    properties.addLibraryPathDirectories(lib, true);
    const std::vector<std::wstring> found = libraryDirectories();
    const std::vector<std::wstring> expected = {lib, joinPath({lib, L"one"}), joinPath({lib, L"one", L"inner"}), joinPath({lib, L"two"})};
    ASSERT_EQ(utf8(sorted(found)), utf8(sorted(expected)));
    EXPECT_EQ(toUtf8(found[0]), toUtf8(lib));
    EXPECT_EQ(positionOf(found, joinPath({lib, L"one", L"inner"})), positionOf(found, joinPath({lib, L"one"})) + 1);
}

TEST_F(ClassAndLibraryPathTest, AddsOnlyTheLibraryFolderItselfWithoutRecursion) {
    const std::wstring lib = folderWith(L"lib", {joinPath({L"sub", L"x.dll"})});
    properties.addLibraryPathDirectories(lib, false);
    properties.addLibraryPathDirectories(L"dll", false);
    EXPECT_EQ(toUtf8(properties.getLibraryPath()), toUtf8(kListSeparator + lib + kListSeparator + L"dll"));
}

TEST_F(ClassAndLibraryPathTest, ReportsExhaustedMemoryWithEachScansOwnText) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar"});
    std::wstring directory = lib;
    EXPECT_REPORT((failNextAllocation(), properties.addJarsToClasspath(std::move(directory), true)),
                  L"Error in Java launcher. Error adding jars to classpath.");
    directory = lib;
    EXPECT_REPORT((failNextAllocation(), properties.addLibraryPathDirectories(std::move(directory), true)),
                  L"Error in Java launcher. Error adding directories to java.library.path.");
}

TEST(OptionTests, MatchTheirPrefixExactly) {
    const struct {
        std::wstring text;
        bool jvmOption;
        bool classpathOption;
        bool libraryPathOption;
    } cases[] = {
        {L"-Djava.class.path=a.jar", true, true, false},
        {L"-Djava.class.pathX", true, true, false},
        {L"-Djava.class.path", true, true, false},
        {L"-Djava.class.pat", true, false, false},
        {L"-DJava.class.path=a.jar", true, false, false},
        {L"-Djava.library.path=native", true, false, true},
        {L"-Djava.library.path", true, false, true},
        {L"-Djava.library.pat", true, false, false},
        {L" -Djava.class.path=a.jar", false, false, false},
        {L"-Xss4m", true, false, false},
        {L"-", true, false, false},
        {L"wexal.main.class=a", false, false, false},
        {L"", false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Properties::isJvmOption(c.text), c.jvmOption) << toUtf8(c.text);
        EXPECT_EQ(Properties::isClasspathOption(c.text), c.classpathOption) << toUtf8(c.text);
        EXPECT_EQ(Properties::isLibraryPathOption(c.text), c.libraryPathOption) << toUtf8(c.text);
    }
}

// `text` with the placeholder <jar> replaced by `jar` and each ";" by the list separator.
std::wstring withCollected(std::wstring text, const std::wstring& jar) {
    const std::size_t at = text.find(L"<jar>");
    if (at != std::wstring::npos) text.replace(at, 5, jar);
    for (wchar_t& c : text) {
        if (c == L';') c = platform::kPathListSeparator;
    }
    return text;
}

TEST_F(ClassAndLibraryPathTest, CompletesThePathOptionsClassPathFirstWithoutAnEmptyFirstEntry) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar"});
    const struct {
        const char* description;
        std::vector<std::wstring> options;
        bool withJars;
        bool withLibraryFolder;
        std::vector<std::wstring> completed;
    } cases[] = {
        {"nothing collected", {L"-Xss4m"}, false, false, {L"-Xss4m"}},
        {"jars only", {L"-Xss4m"}, true, false, {L"-Xss4m", L"-Djava.class.path=<jar>"}},
        {"library folder only", {}, false, true, {L"-Djava.library.path=dll"}},
        {"both", {}, true, true, {L"-Djava.class.path=<jar>", L"-Djava.library.path=dll"}},
        {"user library path", {L"-Djava.library.path=native"}, false, true, {L"-Djava.library.path=native;dll"}},
        {"user class path", {L"-Djava.class.path=app.jar", L"-Xss4m"}, true, true,
         {L"-Djava.class.path=app.jar;<jar>", L"-Xss4m", L"-Djava.library.path=dll"}},
        {"every matching option", {L"-Djava.class.path=a", L"-Djava.class.path=b"}, true, false,
         {L"-Djava.class.path=a;<jar>", L"-Djava.class.path=b;<jar>"}},
        {"user class path, nothing collected", {L"-Djava.class.path=app.jar"}, false, false, {L"-Djava.class.path=app.jar"}},
        {"user options with empty values", {L"-Djava.class.path=", L"-Djava.library.path="}, true, true,
         {L"-Djava.class.path=<jar>", L"-Djava.library.path=dll"}},
        {"other case not recognised", {L"-DJava.class.path=app.jar"}, true, false,
         {L"-DJava.class.path=app.jar", L"-Djava.class.path=<jar>"}},
    };
    for (const auto& c : cases) {
        Properties configured;
        for (const std::wstring& option : c.options) configured.addJavaSystemProperty(option);
        if (c.withJars) configured.addJarsToClasspath(lib, false);
        if (c.withLibraryFolder) configured.addLibraryPathDirectories(L"dll", false);
        completePathOptions(configured);
        std::vector<std::wstring> expected;
        for (const std::wstring& option : c.completed) expected.push_back(withCollected(option, joinPath({lib, L"a.jar"})));
        EXPECT_EQ(utf8(configured.getJavaSystemProperties()), utf8(expected)) << c.description;
    }
}

TEST_F(ClassAndLibraryPathTest, PutsTheHomeFolderBeforeRelativeEntriesOnlyWhenAWorkingFolderIsSet) {
    const std::wstring lib = folderWith(L"lib", {L"a.jar"});
    const std::wstring home = temp / L"app";
    const std::wstring jar = joinPath({lib, L"a.jar"});
    for (const bool withWorkingFolder : {false, true}) {
        Properties configured;
        configured.setFullPathAndNameOfExe(joinPath({home, L"tool"}));
        if (withWorkingFolder) configured.setWorkingDir(temp.path());
        configured.addJarsToClasspath(lib, false);
        configured.addLibraryPathDirectories(joinPath({L"native", L"x64"}), false);
        configured.addLibraryPathDirectories(lib, false);
        completePathOptions(configured);
        const std::wstring relative = withWorkingFolder ? joinPath({home, L"native", L"x64"}) : joinPath({L"native", L"x64"});
        const std::vector<std::wstring> expected = {L"-Djava.class.path=" + jar, withCollected(L"-Djava.library.path=" + relative + L";" + lib, L"")};
        EXPECT_EQ(utf8(configured.getJavaSystemProperties()), utf8(expected)) << withWorkingFolder;
    }
}

TEST(ProcessIdOption, IsAddedOncePerTrueValue) {
    Properties properties;
    for (const wchar_t* value : {L"yes", L"1", L"no", L"", L" True"}) properties.setSyspropProcessId(value);
    const std::wstring option = L"-Dprocess.id=" + toDecimal(platform::processId());
    EXPECT_EQ(utf8(properties.getJavaSystemProperties()), utf8({option, option}));
}

}  // namespace
