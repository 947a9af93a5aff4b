// The candidate record: comparable versions, rank parts, VM library paths and debug text.
#include <gtest/gtest.h>

#include <string>

#include "JvmLayoutFixture.h"
#include "jvm/JVM.h"
#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"
#include "util/Text.h"

namespace {

const std::wstring kReportPrefix = L"Error in Java launcher. ";
const bool kWindowsPaths = platform::kPathSeparator == L'\\';

JVM candidate(const std::wstring& bundle, const std::wstring& type, const std::wstring& home = L"home") {
    JVM jvm;
    jvm.setJavaBundle(bundle);
    jvm.setBinJvmDir(type);
    jvm.setJavaHomePath(home);
    return jvm;
}

TEST(ComparableVersion, PadsFourComponentsToThreeCharacters) {
    const struct {
        std::wstring version;
        std::wstring comparable;
    } cases[] = {
        {L"1.8.0_151", L"001.008.000.151."},
        {L"1.8", L"001.008.000.000."},
        {L"1.8.0", L"001.008.000.000."},
        {L"11.0.2", L"011.000.002.000."},
        {L"1.7.0_80", L"001.007.000.080."},
        {L"1.8.0_151.3", L"001.008.000.151."},
        {L"1..8", L"001.008.000.000."},
        {L"_1.8_", L"001.008.000.000."},
        {L"1.8.0-beta", L"001.008.0-beta.000."},
        {L"1.8.0_1510", L"001.008.000.1510."},
        {L"17.0.21.1", L"017.000.021.001."},
        {L"", L"000.000.000.000."},
        {L"._._", L"000.000.000.000."},
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(getComparableVersion(c.version)), toUtf8(c.comparable)) << toUtf8(c.version);
}

TEST(ComparableVersion, KeepsComponentsAndVersionsOfAnyLength) {
    const std::wstring longComponent(60, L'7');
    EXPECT_EQ(getComparableVersion(L"1." + longComponent), L"001." + longComponent + L".000.000.");

    std::wstring longVersion = L"2.3.4.5";
    for (int i = 0; i < 50; ++i) longVersion += L".9";
    EXPECT_EQ(getComparableVersion(longVersion), L"002.003.004.005.");
    EXPECT_EQ(getComparableVersion(std::wstring(300, L'_') + L"6"), L"006.000.000.000.");
}

TEST(ComparableVersion, OrdersNumbersNumericallyAndTheRestAsSixteenBitCodeUnits) {
    const struct {
        std::wstring lower;
        std::wstring higher;
    } cases[] = {
        {L"1.8", L"1.8.0_05"},
        {L"1.7.0_80", L"1.8"},
        {L"1.8.0_151", L"1.8.0_1510"},
        {L"1.8.0_999", L"1.8.0_1000"},  // components of any length compare as numbers
        {L"9", L"10"},
        {L"9-ea", L"9"},  // a pre-release comes before its release
        {L"9-ea", L"11.0.2"},
        {L"17.0.2-beta", L"17.0.2"},
        {L"17.0.2-beta", L"17.0.2-rc"},
        {L"1.8.0-beta", L"1.8.0_05"},
        {L"21.0.1+12", L"21.0.2"},
        {L"17.0.1", L"17.0.abc"},  // a component without digits compares as text
    };
    for (const auto& c : cases) {
        const std::wstring lower = getComparableVersion(c.lower);
        const std::wstring higher = getComparableVersion(c.higher);
        EXPECT_TRUE(isLowerComparable(lower, higher)) << toUtf8(c.lower) << " < " << toUtf8(c.higher);
        EXPECT_FALSE(isLowerComparable(higher, lower)) << toUtf8(c.higher) << " < " << toUtf8(c.lower);
    }
    EXPECT_FALSE(isLowerComparable(getComparableVersion(L"1.8"), getComparableVersion(L"1.8.0")));
    // The build is ignored: both orders are false.
    EXPECT_FALSE(isLowerComparable(getComparableVersion(L"21.0.1+12"), getComparableVersion(L"21.0.1")));
    EXPECT_FALSE(isLowerComparable(getComparableVersion(L"21.0.1"), getComparableVersion(L"21.0.1+12")));
    EXPECT_TRUE(isLowerComparable(L"011.000.002.000.B1.D2.", L"011.000.002.000.B2.D1."));
    EXPECT_TRUE(isLowerComparable(L"001.", L"001.B1."));
    // Beyond the basic plane a character is a high surrogate first, which orders below U+FFFD.
    const std::wstring beyondBasicPlane = kWindowsPaths ? std::wstring(L"\xD83D\xDE00") : std::wstring(L"\U0001F600");
    EXPECT_TRUE(isLowerComparable(beyondBasicPlane, L"\uFFFD"));
}

TEST(RankParts, RankTheCandidateByTheSetting) {
    const struct {
        std::wstring own;
        std::wstring setting;
        std::wstring part;
        bool acceptable;
    } bundleCases[] = {
        {L"jre", L"require_jre", L"B3.", true},  {L"jre", L"prefer_jre", L"B2.", true},
        {L"jre", L"", L"B2.", true},             {L"jre", L"prefer_sdk", L"B1.", true},
        {L"jre", L"require_sdk", L"B0.", false}, {L"sdk", L"require_jre", L"B0.", false},
        {L"sdk", L"prefer_jre", L"B1.", true},   {L"sdk", L"", L"B1.", true},
        {L"sdk", L"prefer_sdk", L"B2.", true},   {L"sdk", L"require_sdk", L"B3.", true},
    };
    for (const auto& c : bundleCases) {
        JVM jvm = candidate(c.own, L"");
        jvm.setComparableVersion(L"001.");
        jvm.adjustComparableVersionByBundle(c.setting);
        EXPECT_EQ(toUtf8(jvm.getComparableVersion()), toUtf8(L"001." + c.part)) << toUtf8(c.own + L"/" + c.setting);
        EXPECT_EQ(jvm.isAcceptable(), c.acceptable) << toUtf8(c.own + L"/" + c.setting);
    }
    const struct {
        std::wstring own;
        std::wstring setting;
        std::wstring part;
        bool acceptable;
    } typeCases[] = {
        {L"client", L"require_client", L"D3.", true},  {L"client", L"prefer_client", L"D2.", true},
        {L"client", L"", L"D2.", true},                {L"client", L"prefer_server", L"D1.", true},
        {L"client", L"require_server", L"D0.", false}, {L"server", L"require_client", L"D0.", false},
        {L"server", L"prefer_client", L"D1.", true},   {L"server", L"", L"D1.", true},
        {L"server", L"prefer_server", L"D2.", true},   {L"server", L"require_server", L"D3.", true},
    };
    for (const auto& c : typeCases) {
        JVM jvm = candidate(L"", c.own);
        jvm.setComparableVersion(L"001.");
        jvm.adjustComparableVersionByBinJvmDir(c.setting);
        EXPECT_EQ(toUtf8(jvm.getComparableVersion()), toUtf8(L"001." + c.part)) << toUtf8(c.own + L"/" + c.setting);
        EXPECT_EQ(jvm.isAcceptable(), c.acceptable) << toUtf8(c.own + L"/" + c.setting);
    }
}

TEST(RankParts, ReportAnUnsetFieldBeforeAWrongSetting) {
    const struct {
        std::wstring bundle;
        std::wstring bundleSetting;
        std::wstring message;
    } bundleCases[] = {
        {L"", L"", L"Java bundle must be set before adjusting comparable version"},
        {L"JRE", L"maybe", L"Java bundle must be set before adjusting comparable version"},
        {L"jre", L"maybe", L"Desired Java bundle settings are not correct."},
        {L"sdk", L"jre", L"Desired Java bundle settings are not correct."},
        {L"sdk", L"require_client", L"Desired Java bundle settings are not correct."},
    };
    for (const auto& c : bundleCases) {
        JVM jvm = candidate(c.bundle, L"client");
        EXPECT_REPORT(jvm.adjustComparableVersionByBundle(c.bundleSetting), kReportPrefix + c.message);
    }
    const struct {
        std::wstring type;
        std::wstring typeSetting;
        std::wstring message;
    } typeCases[] = {
        {L"", L"", L"Bin Jvm Dir must be set before adjusting the comparable version."},
        {L"hotspot", L"Prefer_Server", L"Bin Jvm Dir must be set before adjusting the comparable version."},
        {L"server", L"Prefer_Server", L"Desired JVM settings are not correct."},
        {L"client", L"server", L"Desired JVM settings are not correct."},
        {L"client", L"prefer_jre", L"Desired JVM settings are not correct."},
    };
    for (const auto& c : typeCases) {
        JVM jvm = candidate(L"jre", c.type);
        EXPECT_REPORT(jvm.adjustComparableVersionByBinJvmDir(c.typeSetting), kReportPrefix + c.message);
    }
}

TEST(JrePath, IsComputedOnlyOnce) {
    JVM kit = candidate(L"sdk", L"", L"K");
    EXPECT_EQ(kit.getJrePath(), jvmtest::vmTypesFolder(L"K", L"sdk"));
    kit.setJavaHomePath(L"other");
    kit.setJavaBundle(L"");
    EXPECT_EQ(kit.getJrePath(), jvmtest::vmTypesFolder(L"K", L"sdk"));
}

TEST(JrePath, OnWindowsLiesInBinForARuntimeAndInJreBinForAKit) {
    if (!kWindowsPaths) GTEST_SKIP() << "Windows layout";
    EXPECT_EQ(candidate(L"jre", L"", L"C:\\R").getJvmDllPath(L"server"), L"C:\\R\\bin\\server\\jvm.dll");
    EXPECT_EQ(candidate(L"sdk", L"", L"C:\\K").getJvmDllPath(L"client"), L"C:\\K\\jre\\bin\\client\\jvm.dll");
}

TEST(JrePath, OnLinuxLiesInLibForRuntimesAndKitsAlike) {
    if (kWindowsPaths) GTEST_SKIP() << "Linux layout";
    EXPECT_EQ(candidate(L"jre", L"", L"/r").getJvmDllPath(L"server"), L"/r/lib/server/libjvm.so");
    EXPECT_EQ(candidate(L"sdk", L"", L"/k").getJvmDllPath(L"client"), L"/k/lib/client/libjvm.so");
}

TEST(JrePath, FailsWithoutAKnownBundle) {
    const std::wstring message =
        kReportPrefix + L"Java home path must be determined before the JRE path can be determined.";
    for (const std::wstring bundle : {L"", L"JRE", L"jdk"}) {
        JVM jvm = candidate(bundle, L"client");
        EXPECT_REPORT(jvm.getJrePath(), message);
        EXPECT_REPORT(jvm.getJvmDllPath(L"client"), message);
    }
}

TEST(CloneForOtherJvmType, CarriesOnlyTheHomeTheBundleAndTheVersion) {
    JVM jvm = candidate(L"sdk", L"client", L"H");
    jvm.setVersion(L"1.8");
    jvm.setJvmPath(jvm.getJvmDllPath(L"client"));
    jvm.setComparableVersion(L"001.");
    jvm.setAcceptable(false);
    EXPECT_TRUE(endsWith(jvm.toString(), L",m_acceptable=false"));
    EXPECT_EQ(toUtf8(jvm.cloneForOtherJvmType().toString()),
              "m_jvmPath=,m_javaBundle=sdk,m_binJvmDir=,m_comparableVersion=,m_javaHomePath=H,m_version=1.8,"
              "m_jrePath=,m_acceptable=true");
    jvm.refuse(L"release file unreadable");
    EXPECT_EQ(toUtf8(jvm.cloneForOtherJvmType().getRefusal()), "release file unreadable");
    EXPECT_FALSE(jvm.cloneForOtherJvmType().isAcceptable());
}

TEST(ToString, DescribesARankedRuntimeClientInOneLine) {
    const std::wstring home = kWindowsPaths ? L"C:\\Java\\jre8" : L"/opt/java/jre8";
    JVM jvm = candidate(L"jre", L"client", home);
    jvm.setVersion(L"1.8.0_151");
    jvm.setJvmPath(jvm.getJvmDllPath(L"client"));
    jvm.setComparableVersion(getComparableVersion(jvm.getVersion()));
    jvm.adjustComparableVersionByBundle(L"");
    jvm.adjustComparableVersionByBinJvmDir(L"");
    const std::wstring expected = kWindowsPaths
        ? L"m_jvmPath=C:\\Java\\jre8\\bin\\client\\jvm.dll,m_javaBundle=jre,m_binJvmDir=client,"
          L"m_comparableVersion=001.008.000.151.B2.D2.,m_javaHomePath=C:\\Java\\jre8,m_version=1.8.0_151,"
          L"m_jrePath=C:\\Java\\jre8\\bin\\,m_acceptable=true"
        : L"m_jvmPath=/opt/java/jre8/lib/client/libjvm.so,m_javaBundle=jre,m_binJvmDir=client,"
          L"m_comparableVersion=001.008.000.151.B2.D2.,m_javaHomePath=/opt/java/jre8,m_version=1.8.0_151,"
          L"m_jrePath=/opt/java/jre8/lib/,m_acceptable=true";
    EXPECT_EQ(toUtf8(jvm.toString()), toUtf8(expected));
}

}  // namespace
