// The startup cache: the VM options for each Java version, the version texts, and what the cache's
// name depends on.
#include "launcher/cache/StartupCache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "launcher/cache/StartupCacheKey.h"
#include "platform/PathConventions.h"
#include "support/TempDir.h"

namespace {

using Options = std::vector<std::wstring>;

const CachePlan kWrite{CacheKind::DynamicArchive, CacheAction::Write, L"c/app-1.jsa", L"c/app-1.7.jsa.part", L"c/app-1.7.log"};
const CachePlan kRead{CacheKind::DynamicArchive, CacheAction::Read, L"c/app-1.jsa", L"", L"c/app-1.7.log"};
const CachePlan kRecord{CacheKind::AheadOfTime, CacheAction::Write, L"c/app-1.aot", L"c/app-1.7.aotconf", L"c/app-1.7.log"};
const CachePlan kReadAot{CacheKind::AheadOfTime, CacheAction::Read, L"c/app-1.aot", L"", L"c/app-1.7.log"};

TEST(StartupCacheOptions, FitTheVmsVersionAndNeverWriteTheFinalName) {
    const std::wstring log17 = L"-Xlog:cds:file=\"c/app-1.7.log\"::filecount=0";
    const std::wstring log25 = L"-Xlog:cds,aot:file=\"c/app-1.7.log\"::filecount=0";
    const struct {
        int javaFeature;
        CachePlan plan;
        Options options;
    } cases[] = {
        {8, kWrite, {}},
        {12, kRead, {}},
        {13, kWrite, {L"-Xlog:cds*=off", log17, L"-XX:ArchiveClassesAtExit=c/app-1.7.jsa.part"}},
        {17, kRead, {L"-Xlog:cds*=off", log17, L"-XX:SharedArchiveFile=c/app-1.jsa"}},
        {19, kRead, {L"-Xlog:cds*=off", log17, L"-XX:SharedArchiveFile=c/app-1.jsa"}},
        {25, kWrite, {L"-Xlog:cds*=off", L"-Xlog:aot*=off", log25, L"-XX:ArchiveClassesAtExit=c/app-1.7.jsa.part"}},
        {25, kRecord,
         {L"-Xlog:cds*=off", L"-Xlog:aot*=off", log25, L"-XX:+UnlockDiagnosticVMOptions", L"-XX:-DisplayVMOutput",
          L"-XX:AOTMode=record", L"-XX:AOTConfiguration=c/app-1.7.aotconf"}},
        {25, kReadAot, {L"-Xlog:cds*=off", L"-Xlog:aot*=off", log25, L"-XX:AOTCache=c/app-1.aot"}},
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

TEST(WhySharingIsOff, NamesTheLastOptionThatTakesTheBaseArchiveAway) {
    const std::wstring off = L"-Xshare:off switches class-data sharing off";
    const std::wstring noClassPointers = L"-XX:-UseCompressedClassPointers leaves the VM without a base archive";
    const struct {
        Options options;
        std::wstring reason;
    } cases[] = {
        {{L"-Xmx1g"}, L""},
        {{L"-Xshare:off"}, off},
        {{L"-Xshare:off", L"-Xshare:auto"}, L""},
        {{L"-XX:-UseCompressedClassPointers"}, noClassPointers},
        {{L"-XX:-UseCompressedClassPointers", L"-XX:+UseCompressedClassPointers"}, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(whySharingIsOff(c.options), c.reason) << c.options.front();
}

TEST(WithoutCompressedOops, FollowsTheSwitchAndTheLastHeapLimit) {
    constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
    const struct {
        Options options;
        std::uint64_t physical;
        bool without;
    } cases[] = {
        {{}, 16 * kGiB, false},
        {{}, 128 * kGiB, true},
        {{L"-Xmx31g"}, 128 * kGiB, false},
        {{L"-Xmx32g"}, kGiB, true},
        {{L"-Xmx40g", L"-Xmx1g"}, kGiB, false},
        {{L"-XX:MaxHeapSize=34359738368"}, kGiB, true},
        {{L"-Xmx40960M"}, kGiB, true},
        {{L"-XX:-UseCompressedOops"}, kGiB, true},
        {{L"-XX:-UseCompressedOops", L"-XX:+UseCompressedOops"}, kGiB, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withoutCompressedOops(c.options, c.physical), c.without) << (c.options.empty() ? L"" : c.options.front());
    }
}

TEST(CacheDependencies, ChangeWithTheClassPathFilesAndClassLoadingOptionsOnly) {
    TempDir dir;
    const std::wstring jar = dir.writeFile(L"app.jar", "jar");
    const std::wstring libJar = dir.writeFile(L"lib/one.jar", "one");
    const std::wstring vm = dir.writeFile(L"libjvm", "vm");
    const std::wstring classPath = L"-Djava.class.path=" + jar + platform::kPathListSeparator + dir.path() +
                                   platform::kPathSeparator + L"lib" + platform::kPathSeparator + L"*";
    const std::wstring base = cacheDependencies(vm, {classPath, L"-Xmx100m"}, true);

    EXPECT_EQ(cacheDependencies(vm, {classPath, L"-Xmx200m", L"-Dprocess.id=7", L"-Xss2m"}, true), base);
    EXPECT_NE(cacheDependencies(vm, {classPath, L"-XX:+UseSerialGC"}, true), base);
    EXPECT_NE(cacheDependencies(vm, {classPath, L"-Xmx100m"}, false), base);
    EXPECT_NE(cacheDependencies(vm, {L"-Djava.class.path=" + jar}, true), base);
    EXPECT_NE(cacheDependencies(dir / L"other", {classPath}, true), base);
    dir.writeFile(L"lib/two.jar", "two");
    const std::wstring withSecondJar = cacheDependencies(vm, {classPath}, true);
    EXPECT_NE(withSecondJar, base);
    dir.writeFile(L"app.jar", "changed jar");
    EXPECT_NE(cacheDependencies(vm, {classPath}, true), withSecondJar);
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
