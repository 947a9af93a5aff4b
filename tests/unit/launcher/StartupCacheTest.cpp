// The startup cache: the VM options for each Java version, the version texts, and what the cache's
// name depends on.
#include "launcher/StartupCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/StartupCacheKey.h"
#include "platform/PathConventions.h"
#include "support/TempDir.h"

namespace {

using Options = std::vector<std::wstring>;

const CachePlan kWrite{CacheAction::Write, L"c/app-1.jsa", L"c/app-1.7.jsa.part", L""};
const CachePlan kRead{CacheAction::Read, L"c/app-1.jsa", L"", L""};
const CachePlan kKeepCurrent{CacheAction::ReadAndKeepCurrent, L"c/app-1.jsa", L"", L""};
const CachePlan kKeepCurrentLogged{CacheAction::ReadAndKeepCurrent, L"c/app-1.jsa", L"", L"c/app-1.7.log"};

TEST(StartupCacheOptions, FitTheVmsVersion) {
    const struct {
        int javaFeature;
        CachePlan plan;
        Options options;
    } cases[] = {
        {8, kWrite, {}},
        {12, kKeepCurrent, {}},
        {13, kWrite, {L"-Xlog:cds*=off", L"-XX:ArchiveClassesAtExit=c/app-1.7.jsa.part"}},
        {17, kRead, {L"-Xlog:cds*=off", L"-XX:SharedArchiveFile=c/app-1.jsa"}},
        {18, kKeepCurrent, {L"-Xlog:cds*=off", L"-XX:SharedArchiveFile=c/app-1.jsa"}},
        {19, kRead, {L"-Xlog:cds*=off", L"-XX:SharedArchiveFile=c/app-1.jsa"}},
        {19, kKeepCurrent, {L"-Xlog:cds*=off", L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=c/app-1.jsa"}},
        {25, kWrite, {L"-Xlog:cds*=off", L"-Xlog:aot*=off", L"-XX:ArchiveClassesAtExit=c/app-1.7.jsa.part"}},
        {17, kKeepCurrentLogged,
         {L"-Xlog:cds*=off", L"-Xlog:cds:file=\"c/app-1.7.log\"::filecount=0", L"-XX:SharedArchiveFile=c/app-1.jsa"}},
        {25, kKeepCurrentLogged,
         {L"-Xlog:cds*=off", L"-Xlog:aot*=off", L"-Xlog:cds,aot:file=\"c/app-1.7.log\"::filecount=0",
          L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=c/app-1.jsa"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(startupCacheOptions(c.javaFeature, c.plan), c.options) << c.javaFeature;
    }
}

TEST(JavaFeatureVersion, ReadsOldAndNewVersionTexts) {
    const struct {
        std::wstring version;
        int feature;
    } cases[] = {{L"1.8.0_402", 8}, {L"1.7", 7}, {L"9", 9}, {L"17.0.15", 17}, {L"25", 25}, {L"25-ea", 25}, {L"", 0}, {L"jdk", 0}};
    for (const auto& c : cases) EXPECT_EQ(javaFeatureVersion(c.version), c.feature) << c.version;
}

TEST(ChoosesOwnClassSharing, TurnsTheCacheOffForTheUsersOwnSharingOptions) {
    for (const wchar_t* option : {L"-Xshare:off", L"-Xshare:dump", L"-XX:SharedArchiveFile=a.jsa", L"-XX:ArchiveClassesAtExit=a.jsa",
                                  L"-XX:+AutoCreateSharedArchive", L"-XX:AOTCache=a.aot", L"-XX:AOTCacheOutput=a.aot",
                                  L"-XX:AOTMode=record", L"-XX:AOTConfiguration=a.conf"}) {
        EXPECT_TRUE(choosesOwnClassSharing(option)) << option;
    }
    for (const wchar_t* option : {L"-Xmx1g", L"-XX:+UseG1GC", L"-Djava.class.path=a.jar", L"-XX:SharedBaseAddress=0"}) {
        EXPECT_FALSE(choosesOwnClassSharing(option)) << option;
    }
}

TEST(CacheDependencies, ChangeWithTheClassPathFilesAndClassLoadingOptionsOnly) {
    TempDir dir;
    const std::wstring jar = dir.writeFile(L"app.jar", "jar");
    const std::wstring libJar = dir.writeFile(L"lib/one.jar", "one");
    const std::wstring vm = dir.writeFile(L"libjvm", "vm");
    const std::wstring classPath = L"-Djava.class.path=" + jar + platform::kPathListSeparator + dir.path() +
                                   platform::kPathSeparator + L"lib" + platform::kPathSeparator + L"*";
    const std::wstring base = cacheDependencies(vm, {classPath, L"-Xmx100m"});

    EXPECT_EQ(cacheDependencies(vm, {classPath, L"-Xmx200m", L"-Dprocess.id=7", L"-Xss2m"}), base);
    EXPECT_NE(cacheDependencies(vm, {classPath, L"-XX:+UseSerialGC"}), base);
    EXPECT_NE(cacheDependencies(vm, {L"-Djava.class.path=" + jar}), base);
    EXPECT_NE(cacheDependencies(dir / L"other", {classPath}), base);
    dir.writeFile(L"lib/two.jar", "two");
    const std::wstring withSecondJar = cacheDependencies(vm, {classPath});
    EXPECT_NE(withSecondJar, base);
    dir.writeFile(L"app.jar", "changed jar");
    EXPECT_NE(cacheDependencies(vm, {classPath}), withSecondJar);
}

TEST(ClassPathCanBeArchived, RefusesAFolderThatHoldsFiles) {
    TempDir dir;
    const std::wstring jar = dir.writeFile(L"app.jar", "jar");
    const std::wstring empty = dir.makeDir(L"empty");
    dir.writeFile(L"classes/app/Main.class", "class");
    EXPECT_TRUE(classPathCanBeArchived({L"-Djava.class.path=" + jar + platform::kPathListSeparator + empty}));
    EXPECT_TRUE(classPathCanBeArchived({L"-Xmx1g"}));
    EXPECT_FALSE(classPathCanBeArchived({L"-Djava.class.path=" + jar + platform::kPathListSeparator + (dir / L"classes")}));
}

TEST(ShortHash, IsTheFnv1aHashInSixteenHexDigits) {
    EXPECT_EQ(shortHash(L""), L"cbf29ce484222325");
    EXPECT_EQ(shortHash(L"a"), L"af63dc4c8601ec8c");
    EXPECT_EQ(shortHash(L"\u00e9"), shortHash(L"\u00e9"));
    EXPECT_NE(shortHash(L"\u00e9"), shortHash(L"e"));
}

}  // namespace
