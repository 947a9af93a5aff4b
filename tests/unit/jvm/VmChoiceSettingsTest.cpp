// The configuration's tests of the VM choice settings, on values as the setters store them.
#include <gtest/gtest.h>

#include <string>

#include "config/Properties.h"
#include "platform/TextEncoding.h"

namespace {

TEST(VmChoiceSettings, TellRequiredAndPreferredWords) {
    const struct {
        std::wstring value;
        bool binJvmDirRequired;
        bool bundlePreferred;
        bool bundleRequired;
    } cases[] = {
        {L"", false, false, false},
        {L"client", true, false, false},
        {L"Server", true, false, false},
        {L"REQUIRE_CLIENT", true, false, false},
        {L"prefer_server", false, false, false},
        {L"jre", false, false, true},
        {L"SDK", false, false, true},
        {L"require_jre", false, false, true},
        {L"Prefer_JRE", false, true, false},
        {L"prefer_sdk", false, true, false},
        {L"require_ sdk", false, false, false},
    };
    for (const auto& c : cases) {
        Properties properties;
        properties.setBinJvmDir(c.value);
        properties.setJavaBundle(c.value);
        EXPECT_EQ(properties.getVmChoiceSettings().isBinJvmDirRequired(), c.binJvmDirRequired) << toUtf8(c.value);
        EXPECT_EQ(properties.getVmChoiceSettings().isJavaBundlePreferred(), c.bundlePreferred) << toUtf8(c.value);
        EXPECT_EQ(properties.getVmChoiceSettings().isJavaBundleRequired(), c.bundleRequired) << toUtf8(c.value);
    }
}

TEST(VmChoiceSettings, CompareVersionsWithInclusiveBounds) {
    const struct {
        std::wstring bound;
        std::wstring version;
        bool meetsMin;
        bool meetsMax;
    } cases[] = {
        {L"", L"1.2", true, true},
        {L"1.8", L"1.7.0_80", false, true},
        {L"1.8", L"1.8", true, true},
        {L"1.8", L"1.8.0", true, true},
        {L"1.8", L"1.8.0_151", true, false},
        {L"1.8.0_151", L"1.8.0_151", true, true},
        {L"11", L"9", false, true},
        {L"17", L"17.0.21.1", true, false},
        {L"._.", L"0", true, true},
        {L"1.8.0_999", L"1.8.0_1000", true, false},  // components compare as numbers
        {L"9", L"9-ea", false, true},                // a pre-release comes before its release
        {L"21.0.1", L"21.0.1+12", true, true},       // the build is ignored
        {L"11.0.2", L"9-ea", false, true},
    };
    for (const auto& c : cases) {
        Properties properties;
        properties.setMinJavaVersion(c.bound);
        properties.setMaxJavaVersion(c.bound);
        EXPECT_EQ(properties.getVmChoiceSettings().meetsMinJavaVersion(c.version), c.meetsMin) << toUtf8(c.bound + L" vs " + c.version);
        EXPECT_EQ(properties.getVmChoiceSettings().meetsMaxJavaVersion(c.version), c.meetsMax) << toUtf8(c.bound + L" vs " + c.version);
    }
}

}  // namespace
