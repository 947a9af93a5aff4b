// The routes of the VM choice, the separation of client and server VMs, the ranking and the
// removal of unacceptable candidates.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "JvmLayoutFixture.h"
#include "config/Properties.h"
#include "jvm/JVMSelector.h"
#include "platform/TextEncoding.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"
#include "util/Text.h"

namespace {

using jvmtest::addVm;
using jvmtest::kSeparator;

const std::wstring kReportPrefix = L"Error in Java launcher. ";

JVM registered(const std::wstring& bundle, const std::wstring& home, const std::wstring& version) {
    JVM jvm;
    jvm.setJavaBundle(bundle);
    jvm.setJavaHomePath(home);
    jvm.setVersion(version);
    return jvm;
}

JVM typed(const std::wstring& bundle, const std::wstring& type, const std::wstring& version) {
    JVM jvm = registered(bundle, L"home", version);
    jvm.setBinJvmDir(type);
    return jvm;
}

Properties settings(const std::wstring& bundle, const std::wstring& binJvmDir) {
    Properties properties;
    properties.setJavaBundle(bundle);
    properties.setBinJvmDir(binJvmDir);
    return properties;
}

std::vector<std::wstring> comparableVersions(const std::vector<JVM>& jvms) {
    std::vector<std::wstring> keys;
    for (const JVM& jvm : jvms) keys.push_back(jvm.getComparableVersion() + (jvm.isAcceptable() ? L"" : L" rejected"));
    return keys;
}

TEST(SeparateClientAndServerJvms, TypesEachVmAndPutsServerCopiesLastInReverseOrder) {
    const TempDir dir;
    const std::wstring aClient = addVm(dir, L"A", L"jre", L"client");
    const std::wstring aServer = addVm(dir, L"A", L"jre", L"server");
    const std::wstring bClient = addVm(dir, L"B", L"jre", L"client");
    const std::wstring cClient = addVm(dir, L"C", L"sdk", L"client");
    const std::wstring cServer = addVm(dir, L"C", L"sdk", L"server");
    dir.makeDir(L"D");
    // The VM libraries that registry keys name: the layout's own, one of an unusual VM folder,
    // a missing one, and one outside a home that has no VM where the layouts look.
    const std::wstring bLibrary = addVm(dir, L"B-vm", L"jre", L"j9vm");
    const std::wstring eClient = addVm(dir, L"E", L"jre", L"client");
    std::vector<JVM> jvms = {registered(L"jre", dir / L"A", L"1"), registered(L"jre", dir / L"B", L"2"),
                             registered(L"sdk", dir / L"C", L"3"), registered(L"jre", dir / L"D", L"4")};
    jvms[0].setRuntimeLibrary(aServer);
    jvms[1].setRuntimeLibrary(bLibrary);
    jvms[2].setRuntimeLibrary(dir / L"C" + kSeparator + L"gone");
    jvms[3].setRuntimeLibrary(eClient);

    JVMSelector(VmChoiceSettings()).separateClientAndServerJvms(jvms);

    const struct {
        std::wstring version;
        std::wstring type;
        std::wstring jvmPath;
    } expected[] = {{L"1", L"client", aClient},  {L"2", L"client", bClient}, {L"3", L"client", cClient},
                    {L"4", L"client", eClient},  {L"3", L"server", cServer}, {L"2", L"server", bLibrary},
                    {L"1", L"server", aServer}};
    ASSERT_EQ(jvms.size(), std::size(expected));
    for (std::size_t i = 0; i < jvms.size(); ++i) {
        EXPECT_EQ(jvms[i].getVersion(), expected[i].version) << i;
        EXPECT_EQ(jvms[i].getBinJvmDir(), expected[i].type) << i;
        EXPECT_EQ(toUtf8(jvms[i].getJvmPath()), toUtf8(expected[i].jvmPath)) << i;
    }
    EXPECT_EQ(toUtf8(jvms[3].getJrePath()), toUtf8(jvmtest::vmTypesFolder(dir / L"E", L"jre")));
}

TEST(SeparateClientAndServerJvms, KeepsAKitsHomeAndAServerOnlyInstallation) {
    const TempDir dir;
    const std::wstring kitClient = addVm(dir, L"K", L"sdk", L"client");
    const std::wstring runtimeServer = addVm(dir, L"R", L"jre", L"server");
    std::vector<JVM> jvms = {registered(L"sdk", dir / L"K", L"1.8"), registered(L"jre", dir / L"R", L"1.7")};

    JVMSelector(VmChoiceSettings()).separateClientAndServerJvms(jvms);

    ASSERT_EQ(jvms.size(), 2u);
    EXPECT_EQ(toUtf8(jvms[0].getJvmPath()), toUtf8(kitClient));
    EXPECT_EQ(toUtf8(jvms[0].getJavaHomePath()), toUtf8(dir / L"K"));
    EXPECT_EQ(toUtf8(jvms[0].getJrePath()), toUtf8(jvmtest::vmTypesFolder(dir / L"K", L"sdk")));
    EXPECT_EQ(jvms[1].getBinJvmDir(), L"server");
    EXPECT_EQ(toUtf8(jvms[1].getJvmPath()), toUtf8(runtimeServer));
}

TEST(JavaHomeRoute, TriesTheVmTypesTheSettingAsksFor) {
    const struct {
        std::vector<std::wstring> vms;  // "client", "server", or "jre/<type>" below the home's jre folder
        std::wstring setting;
        std::wstring found;  // "<type>" or "jre/<type>"; empty when the route fails
        std::wstring message;
    } cases[] = {
        {{L"client", L"server"}, L"", L"client", L""},
        {{L"client", L"server"}, L"Prefer_Client", L"client", L""},
        {{L"client", L"server"}, L"prefer_server", L"server", L""},
        {{L"client", L"server"}, L"require_server", L"server", L""},
        {{L"client", L"server"}, L"client", L"client", L""},
        {{L"client", L"server"}, L"whatever", L"client", L""},
        {{L"server"}, L"", L"server", L""},
        {{L"client"}, L"prefer_server", L"client", L""},
        {{L"jre/client", L"jre/server"}, L"", L"jre/client", L""},
        {{L"client", L"jre/server"}, L"prefer_server", L"jre/server", L""},
        {{L"server"}, L"require_client", L"", L"The client JVM could not be found for Java home: "},
        {{L"client"}, L"server", L"", L"The server JVM could not be found for Java home: "},
        {{}, L"", L"", L"A JVM could not be found for Java home: "},
        {{}, L"prefer_server", L"", L"A JVM could not be found for Java home: "},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        const std::wstring home = dir.makeDir(L"home");
        const std::wstring runtimeHome = home + kSeparator + L"jre";
        for (const std::wstring& vm : c.vms) {
            const bool nested = startsWith(vm, L"jre/");
            addVm(dir, nested ? L"home" + kSeparator + L"jre" : L"home", L"jre", nested ? vm.substr(4) : vm);
        }
        Properties properties = settings(L"", c.setting);
        properties.setJavaHomePath(home);
        const JVMSelector selector(properties.getVmChoiceSettings());
        const std::string label = toUtf8(c.setting) + " finding " + toUtf8(c.found);
        if (c.found.empty()) {
            EXPECT_REPORT(selector.getJvmFromCustomJavaHomePath(), kReportPrefix + c.message + home);
            continue;
        }
        const bool nested = startsWith(c.found, L"jre/");
        const std::wstring expectedHome = nested ? runtimeHome : home;
        const std::optional<JVM> jvm = selector.getJvmFromCustomJavaHomePath();
        ASSERT_TRUE(jvm) << label;
        EXPECT_EQ(toUtf8(jvm->getJvmPath()), toUtf8(jvmtest::vmPath(expectedHome, L"jre", nested ? c.found.substr(4) : c.found))) << label;
        EXPECT_EQ(toUtf8(jvm->getJavaHomePath()), toUtf8(expectedHome)) << label;
        EXPECT_TRUE(jvm->getJavaBundle().empty() && jvm->getBinJvmDir().empty() && jvm->getVersion().empty()) << label;
    }
}

TEST(JavaHomeRoute, YieldsNothingWithoutAConfiguredHome) {
    EXPECT_FALSE(JVMSelector(settings(L"", L"require_server").getVmChoiceSettings()).getJvmFromCustomJavaHomePath());
    EXPECT_FALSE(JVMSelector(VmChoiceSettings()).getJvmFromJavaHomePathAndJvmType(L"", L"client"));
}

TEST(JvmPathRoute, YieldsACandidateOfThePathAlone) {
    const TempDir dir;
    Properties properties;
    properties.setJvmPath(dir.writeFile(L"my.dll", ""));
    const std::optional<JVM> jvm = JVMSelector(properties.getVmChoiceSettings()).getJvmFromCustomJvmPath();
    ASSERT_TRUE(jvm);
    EXPECT_EQ(toUtf8(jvm->toString()),
              toUtf8(L"m_jvmPath=" + properties.getCustomJvmPath() +
                     L",m_javaBundle=,m_binJvmDir=,m_comparableVersion=,m_javaHomePath=,m_version=,m_jrePath=,"
                     L"m_acceptable=true"));
    EXPECT_FALSE(JVMSelector(VmChoiceSettings()).getJvmFromCustomJvmPath());
}

TEST(JvmPathRoute, ReportsAFileThatHasGone) {
    const TempDir dir;
    const std::wstring path = dir.writeFile(L"gone.dll", "");
    Properties properties;
    properties.setJvmPath(path);
    std::filesystem::remove(std::filesystem::path(path));
    EXPECT_REPORT(JVMSelector(properties.getVmChoiceSettings()).getJvmFromCustomJvmPath(),
                  kReportPrefix + L"This JVM file could not be found: " + properties.getCustomJvmPath());
    EXPECT_REPORT(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm(),
                  kReportPrefix + L"This JVM file could not be found: " + properties.getCustomJvmPath());
}

TEST(MostAppropriateJvm, TakesAConfiguredPathWhateverTheOtherSettings) {
    const TempDir dir;
    addVm(dir, L"home", L"jre", L"client");
    Properties properties = settings(L"maybe", L"require_server");
    properties.setMinJavaVersion(L"99");
    properties.setJavaHomePath(dir / L"home");
    properties.setJvmPath(dir.writeFile(L"chosen.dll", ""));
    EXPECT_EQ(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm().getJvmPath(), properties.getCustomJvmPath());
}

TEST(MostAppropriateJvm, TakesAConfiguredHomeWithoutVersionBoundsOrBundle) {
    const TempDir dir;
    const std::wstring server = addVm(dir, L"home", L"jre", L"server");
    Properties properties = settings(L"require_sdk", L"");
    properties.setMinJavaVersion(L"99");
    properties.setMaxJavaVersion(L"1");
    properties.setJavaHomePath(dir / L"home");
    EXPECT_EQ(toUtf8(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm().getJvmPath()), toUtf8(server));

    const TempDir empty;
    properties.setJavaHomePath(empty.path());
    EXPECT_REPORT(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm(),
                  kReportPrefix + L"A JVM could not be found for Java home: " + empty.path());
}

TEST(DetermineJvmVersions, PutsTheStrongerPreferenceFirst) {
    const struct {
        std::wstring bundle;
        std::wstring binJvmDir;
        std::wstring runtimeClient;
        std::wstring kitServer;
    } cases[] = {
        {L"", L"", L"001.008.000.000.B2.D2.", L"001.008.000.151.B1.D1."},
        {L"", L"prefer_server", L"001.008.000.000.D1.B2.", L"001.008.000.151.D2.B1."},
        {L"", L"client", L"001.008.000.000.D3.B2.", L"001.008.000.151.D0.B1. rejected"},
        {L"prefer_sdk", L"", L"001.008.000.000.B1.D2.", L"001.008.000.151.B2.D1."},
        {L"prefer_jre", L"prefer_server", L"001.008.000.000.B2.D1.", L"001.008.000.151.B1.D2."},
        {L"prefer_sdk", L"server", L"001.008.000.000.D0.B1. rejected", L"001.008.000.151.D3.B2."},
        {L"jre", L"", L"001.008.000.000.B3.D2.", L"001.008.000.151.B0.D1. rejected"},
        {L"sdk", L"prefer_client", L"001.008.000.000.B0.D2. rejected", L"001.008.000.151.B3.D1."},
        {L"jre", L"server", L"001.008.000.000.B3.D0. rejected", L"001.008.000.151.B0.D3. rejected"},
    };
    for (const auto& c : cases) {
        std::vector<JVM> jvms = {typed(L"jre", L"client", L"1.8"), typed(L"sdk", L"server", L"1.8.0_151")};
        JVMSelector(settings(c.bundle, c.binJvmDir).getVmChoiceSettings()).determineJvmVersions(jvms);
        EXPECT_EQ(comparableVersions(jvms), (std::vector<std::wstring>{c.runtimeClient, c.kitServer}))
            << toUtf8(c.bundle) << "/" << toUtf8(c.binJvmDir);
    }
}

TEST(DetermineJvmVersions, RanksTheWorkedExampleByVmTypeFirst) {
    std::vector<JVM> jvms = {typed(L"sdk", L"client", L"1.8.0_151"), typed(L"jre", L"client", L"1.8.0_151"),
                             typed(L"jre", L"client", L"1.7.0_80"), typed(L"sdk", L"server", L"1.8.0_151")};
    Properties properties = settings(L"", L"prefer_server");
    properties.setMinJavaVersion(L"1.8");
    const JVMSelector selector(properties.getVmChoiceSettings());

    selector.determineJvmVersions(jvms);
    EXPECT_EQ(comparableVersions(jvms),
              (std::vector<std::wstring>{L"001.008.000.151.D1.B1.", L"001.008.000.151.D1.B2.",
                                         L"001.007.000.080.D1.B2. rejected", L"001.008.000.151.D2.B1."}));

    selector.removeUnacceptableJvms(jvms);
    EXPECT_EQ(comparableVersions(jvms), (std::vector<std::wstring>{L"001.008.000.151.D1.B1.", L"001.008.000.151.D1.B2.",
                                                                   L"001.008.000.151.D2.B1."}));
    EXPECT_TRUE(JVMSelector::isLowerComparableVersion(jvms[1], jvms[2]));
}

TEST(DetermineJvmVersions, ReplacesAnEarlierComparableVersion) {
    std::vector<JVM> jvms = {typed(L"jre", L"client", L"1.8")};
    jvms[0].setComparableVersion(L"stale.");
    JVMSelector(VmChoiceSettings()).determineJvmVersions(jvms);
    EXPECT_EQ(jvms[0].getComparableVersion(), L"001.008.000.000.B2.D2.");
}

TEST(DetermineJvmVersions, ReportsAWordOutsideTheSettingsTable) {
    const struct {
        std::wstring bundle;
        std::wstring binJvmDir;
        std::wstring message;
    } cases[] = {
        {L"maybe", L"", L"Desired Java bundle settings are not correct."},
        {L"", L"maybe", L"Desired JVM settings are not correct."},
        {L"prefer_jre", L"hotspot", L"Desired JVM settings are not correct."},
        {L"maybe", L"maybe", L"Desired JVM settings are not correct."},
    };
    for (const auto& c : cases) {
        std::vector<JVM> jvms = {typed(L"jre", L"client", L"1.8")};
        EXPECT_REPORT(JVMSelector(settings(c.bundle, c.binJvmDir).getVmChoiceSettings()).determineJvmVersions(jvms), kReportPrefix + c.message);
    }
}

}  // namespace
