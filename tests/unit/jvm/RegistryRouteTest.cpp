// The registry route of the VM choice, end to end over Java installations of the test's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeInstallations.h"
#include "config/Properties.h"
#include "jvm/JVMSelector.h"
#include "platform/TextEncoding.h"
#include "support/ReportedFailure.h"

namespace {

using jvmtest::FakeInstallation;
using jvmtest::FakeInstallations;

const std::wstring kNoneFound = L"Error in Java launcher. No acceptable JVMs were found.";

struct Settings {
    std::wstring bundle = L"";
    std::wstring binJvmDir = L"";
    std::wstring min = L"";
    std::wstring max = L"";
};

Properties configured(const Settings& settings) {
    Properties properties;
    properties.setJavaBundle(settings.bundle);
    properties.setBinJvmDir(settings.binJvmDir);
    properties.setMinJavaVersion(settings.min);
    properties.setMaxJavaVersion(settings.max);
    return properties;
}

// "<installation directory>/<VM type>" of the chosen VM.
std::string chosen(const FakeInstallations& installations, const Settings& settings) {
    const Properties properties = configured(settings);
    const JVM jvm = JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm();
    return toUtf8(jvm.getJavaHomePath().substr(installations.folder().size() + 1) + L"/" + jvm.getBinJvmDir());
}

TEST(RegistryRoute, ChoosesTheHighestVersionThenTheStrongerPreference) {
    const FakeInstallations installations;
    installations.add({L"jdk8", L"1.8.0_151", true, {L"client", L"server"}});
    installations.add({L"jre8", L"1.8.0_144", false, {L"client", L"server"}});
    installations.add({L"jre7", L"1.7.0_80", false, {L"client"}});
    const struct {
        Settings settings;
        std::string choice;
    } cases[] = {
        {{}, "jdk8/client"},
        {{L"prefer_jre"}, "jdk8/client"},
        {{L"jre"}, "jre8/client"},
        {{L"jre", L"server"}, "jre8/server"},
        {{L"", L"prefer_server"}, "jdk8/server"},
        {{L"", L"", L"", L"1.8.0_144"}, "jre8/client"},
        {{L"", L"", L"", L"1.7.9"}, "jre7/client"},
        {{L"", L"", L"1.8.0_150"}, "jdk8/client"},
    };
    for (const auto& c : cases) {
        const Settings& s = c.settings;
        EXPECT_EQ(chosen(installations, s), c.choice) << toUtf8(s.bundle + L"|" + s.binJvmDir + L"|" + s.min + L"|" + s.max);
    }
}

TEST(RegistryRoute, PrefersTheRuntimeClientAmongEqualVersions) {
    const FakeInstallations installations;
    installations.add({L"jdk", L"1.8.0_151", true, {L"client", L"server"}});
    installations.add({L"jre", L"1.8.0_151", false, {L"client", L"server"}});
    EXPECT_EQ(chosen(installations, {}), "jre/client");
}

TEST(RegistryRoute, ChoosesTheFirstOfEqualComparableVersions) {
    for (const auto& versions : {std::vector<std::wstring>{L"1.8", L"1.8.0"}, std::vector<std::wstring>{L"1.8.0", L"1.8"}}) {
        const FakeInstallations installations;
        installations.add({L"a", versions[0], false, {L"client"}});
        installations.add({L"b", versions[1], false, {L"client"}});
        EXPECT_EQ(chosen(installations, {}), "a/client") << toUtf8(versions[0]);
    }
}

TEST(RegistryRoute, ChoosesTheKitsServerVmInTheWorkedExample) {
    const FakeInstallations installations;
    const std::wstring kit = installations.add({L"jdk8", L"1.8.0_151", true, {L"client", L"server"}});
    installations.add({L"jre8", L"1.8.0_151", false, {L"client"}});
    installations.add({L"jre7", L"1.7.0_80", false, {L"client"}});
    const Properties properties = configured({L"", L"prefer_server", L"1.8"});
    EXPECT_EQ(toUtf8(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm().toString()),
              toUtf8(L"m_jvmPath=" + kit + L"/lib/server/libjvm.so,m_javaBundle=sdk,m_binJvmDir=server,"
                     L"m_comparableVersion=001.008.000.151.D2.B1.,m_javaHomePath=" + kit +
                     L",m_version=1.8.0_151,m_jrePath=" + kit + L"/lib/,m_acceptable=true"));
}

TEST(RegistryRoute, ReportsWhenNoCandidateIsAcceptableWithOneLinePerRefusal) {
    const FakeInstallations installations;
    const std::wstring jdk = installations.add({L"jdk", L"1.8.0_151", true, {L"client", L"server"}});
    const std::wstring jre = installations.add({L"jre", L"1.8.0_144", false, {L"client"}});
    const std::wstring vmLess = installations.add({L"vm-less", L"11", false, {}});
    const std::wstring missing = vmLess + L": 11, JRE: VM library missing";
    const struct {
        Settings settings;
        std::wstring jdkRefusal;
        std::wstring jreRefusal;
    } cases[] = {
        {{L"jre", L"server"}, L"a development kit where a runtime is required", L"a client VM where a server VM is required"},
        {{L"", L"", L"9"}, L"below the minimum version 9", L"below the minimum version 9"},
        {{L"", L"", L"", L"1.7"}, L"above the maximum version 1.7", L"above the maximum version 1.7"},
        {{L"", L"", L"1.8.0_145", L"1.8.0_150"}, L"above the maximum version 1.8.0_150", L"below the minimum version 1.8.0_145"},
    };
    for (const auto& c : cases) {
        const Properties properties = configured(c.settings);
        EXPECT_REPORT(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm(),
                      kNoneFound + L"\n\n" + jdk + L": 1.8.0_151, JDK: " + c.jdkRefusal + L"\n" + jre + L": 1.8.0_144, JRE: " +
                          c.jreRefusal + L"\n" + missing);
    }
}

TEST(RegistryRoute, ReportsAWrongSettingOnlyWhenACandidateIsRanked) {
    const Properties properties = configured({L"maybe"});
    {
        const FakeInstallations installations;
        const std::wstring vmLess = installations.add({L"vm-less", L"11", false, {}});
        EXPECT_REPORT(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm(),
                      kNoneFound + L"\n\n" + vmLess + L": 11, JRE: VM library missing");
    }
    const FakeInstallations installations;
    installations.add({L"jre", L"11", false, {L"server"}});
    EXPECT_REPORT(JVMSelector(properties.getVmChoiceSettings()).getMostAppropriateJvm(),
                  L"Error in Java launcher. Desired Java bundle settings are not correct.");
}

}  // namespace
