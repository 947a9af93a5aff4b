// The configuration model: home folder, main argument slots, word settings, service settings,
// path settings and the debug dump.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "config/Properties.h"
#include "config/PropertyFileEntry.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"
#include "util/Text.h"

namespace {

// The parts joined with the system's path separator.
std::wstring joined(std::initializer_list<const wchar_t*> parts) {
    std::wstring path;
    for (const wchar_t* part : parts) path += platform::kPathSeparator + std::wstring(part);
    return path.substr(1);
}

// What the dump prints after the configurable fields of a fresh object.
std::wstring bitnessFields() {
    return L",m_exeBitness=" + toDecimal(sizeof(void*) * 8) + L",m_operatingSystemBitness=" + platform::operatingSystemBitness();
}

// Two command-line arguments and the main arguments of `entries` (line number, value).
Properties withArguments(std::initializer_list<std::pair<int, const wchar_t*>> entries) {
    Properties properties;
    properties.setNumberOfCommandLineArguments(2);
    properties.setCommandLineArgument(L"a", 0);
    properties.setCommandLineArgument(L"b", 1);
    for (const auto& [line, value] : entries) {
        PropertyFileEntry entry(line, L"wexal.main.argument=");
        entry.setValue(value);
        properties.setMainArgument(entry);
    }
    return properties;
}

TEST(HomePath, IsTheExecutablesFolderWithoutOneFinalBin) {
    const struct {
        std::wstring exe;
        std::wstring home;
    } cases[] = {
        {joined({L"C:", L"Apps", L"Tool", L"bin", L"tool.exe"}), joined({L"C:", L"Apps", L"Tool"})},
        {joined({L"C:", L"Apps", L"Tool", L"Bin", L"tool.exe"}), joined({L"C:", L"Apps", L"Tool", L"Bin"})},
        {joined({L"C:", L"Apps", L"bin", L"bin", L"tool.exe"}), joined({L"C:", L"Apps", L"bin"})},
        {joined({L"C:", L"Apps", L"Tool", L"tool.exe"}), joined({L"C:", L"Apps", L"Tool"})},
        {joined({L"C:", L"Apps", L"xbin", L"tool.exe"}), joined({L"C:", L"Apps", L"xbin"})},
        {joined({L"C:", L"Apps", L"bins", L"tool.exe"}), joined({L"C:", L"Apps", L"bins"})},
        {joined({L"bin", L"tool.exe"}), L"bin"},
    };
    for (const auto& c : cases) {
        Properties properties;
        properties.setFullPathAndNameOfExe(c.exe);
        EXPECT_EQ(properties.getSelfHomePath(), c.home) << toUtf8(c.exe);
        EXPECT_EQ(properties.getFullPathAndNameOfExe(), c.exe);
    }
}

TEST(HomePath, KeepsItsValueForAPathWithoutSeparator) {
    Properties properties;
    properties.setFullPathAndNameOfExe(joined({L"C:", L"Apps", L"tool.exe"}));
    properties.setFullPathAndNameOfExe(L"tool.exe");
    EXPECT_EQ(properties.getSelfHomePath(), joined({L"C:", L"Apps"}));
    properties.setFullPathAndNameOfExe(L"");
    EXPECT_EQ(properties.getSelfHomePath(), joined({L"C:", L"Apps"}));
    EXPECT_EQ(properties.getFullPathAndNameOfExe(), L"");
}

TEST(MainArguments, FollowTheCommandLineInLineOrderWithoutEmptyEntries) {
    const struct {
        const char* what;
        Properties properties;
        std::vector<std::wstring> arguments;
    } cases[] = {
        {"no configured arguments", withArguments({}), {L"a", L"b"}},
        {"lines 3 and 7", withArguments({{3, L"x"}, {7, L"y"}}), {L"a", L"b", L"x", L"y"}},
        {"applied out of line order", withArguments({{7, L"y"}, {3, L"x"}}), {L"a", L"b", L"x", L"y"}},
        {"an empty value adds nothing", withArguments({{3, L"x"}, {5, L""}, {7, L"y"}}), {L"a", L"b", L"x", L"y"}},
        {"line 1 follows the last command-line argument", withArguments({{1, L"x"}}), {L"a", L"b", L"x"}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.properties.getMainArguments(), c.arguments) << c.what;
}

TEST(MainArguments, KeepEmptyCommandLineArguments) {
    Properties properties;
    properties.setNumberOfCommandLineArguments(3);
    properties.setCommandLineArgument(L"", 0);
    properties.setCommandLineArgument(L"b", 1);
    properties.setCommandLineArgument(L"", 2);
    EXPECT_EQ(properties.getMainArguments(), (std::vector<std::wstring>{L"", L"b", L""}));
}

TEST(ToString, DumpsTheFieldsInOrderAndEndsAfterTheBitnessWithoutOptionsOrArguments) {
    Properties properties;
    properties.setFullPathAndNameOfExe(joined({L"C:", L"Apps", L"Tool", L"bin", L"tool.exe"}));
    properties.setCallerDir(L"start dir");
    properties.setMainClass(L"com.example.Main");
    properties.setBinJvmDir(L"Prefer_Server");
    properties.setMinJavaVersion(L"1.8");
    properties.setMaxJavaVersion(L"17");
    properties.setTrapConsoleCtrl(L"Yes");
    properties.setDebugFile(L"debug.txt");
    properties.setJavaBundle(L"sdk");
    properties.setWorkingDir(L"work");
    properties.setSplash(L"splash.png");
    properties.setServiceName(L"service");
    EXPECT_EQ(properties.toString(),
              L"m_fullPathAndNameOfExe=" + joined({L"C:", L"Apps", L"Tool", L"bin", L"tool.exe"}) +
                  L",m_selfHomePath=" + joined({L"C:", L"Apps", L"Tool"}) +
                  L",m_customJavaHomePath=,m_customBinJvmDir=prefer_server,m_mainClass=com.example.Main"
                  L",m_customJvmPath=,m_minJavaVersion=1.8,m_maxJavaVersion=17,m_trapConsoleCtrl=Yes"
                  L",m_jarsInClasspath=,m_libraryPath=,m_debugFile=debug.txt,m_callerDir=start dir" +
                  bitnessFields());
}

TEST(ToString, ListsTheOptionsThenEveryArgumentSlot) {
    Properties properties = withArguments({{3, L"x"}});
    properties.addJavaSystemProperty(L"-Xss4m");
    properties.addJavaSystemProperty(L"-Dname=a=b");
    EXPECT_EQ(properties.getMainArguments(), (std::vector<std::wstring>{L"a", L"b", L"x"}));
    EXPECT_EQ(properties.toString(),
              L"m_fullPathAndNameOfExe=,m_selfHomePath=,m_customJavaHomePath=,m_customBinJvmDir=,m_mainClass="
              L",m_customJvmPath=,m_minJavaVersion=,m_maxJavaVersion=,m_trapConsoleCtrl=,m_jarsInClasspath="
              L",m_libraryPath=,m_debugFile=,m_callerDir=" +
                  bitnessFields() +
                  L",m_javaSystemProperties[0]=-Xss4m,m_javaSystemProperties[1]=-Dname=a=b"
                  L",m_commandLineArguments[0]=a,m_commandLineArguments[1]=b,m_commandLineArguments[2]="
                  L",m_commandLineArguments[3]=,m_commandLineArguments[4]=,m_commandLineArguments[5]=x");
}

TEST(WordSettings, AreLowerCasedWithTheShortFormsRequired) {
    const struct {
        std::wstring value;
        std::wstring bundle;
        std::wstring binJvmDir;
    } cases[] = {
        {L"JRE", L"require_jre", L"jre"},
        {L"sdk", L"require_sdk", L"sdk"},
        {L"Client", L"client", L"require_client"},
        {L"server", L"server", L"require_server"},
        {L"Prefer_Server", L"prefer_server", L"prefer_server"},
        {L"prefer_jre", L"prefer_jre", L"prefer_jre"},
        {L" jre", L" jre", L" jre"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        Properties properties;
        properties.setJavaBundle(c.value);
        properties.setBinJvmDir(c.value);
        EXPECT_EQ(properties.getJavaBundle(), c.bundle) << toUtf8(c.value);
        EXPECT_EQ(properties.getCustomBinJvmDir(), c.binJvmDir) << toUtf8(c.value);
    }
}

TEST(ServiceSettings, StopTimeoutIsWholeSecondsWithTheDefaultForNoneOrLessThanOne) {
    const struct {
        std::wstring value;
        std::uint32_t milliseconds;
    } cases[] = {
        {L"", 20000}, {L"30", 30000}, {L" 2.9s", 2000}, {L"1", 1000}, {L"0.5", 20000},
        {L"0", 20000}, {L"-5", 20000}, {L"soon", 20000}, {L"1e9", 86400000},
    };
    for (const auto& c : cases) {
        Properties properties;
        properties.setServiceStopTimeout(c.value);
        EXPECT_EQ(properties.getServiceStopTimeoutMilliseconds(), c.milliseconds) << toUtf8(c.value);
    }
}

TEST(ServiceSettings, DisplayNameIsTheServiceNameWhenNoneIsSet) {
    Properties properties;
    properties.setServiceName(L"AcmeService");
    EXPECT_EQ(properties.getServiceDisplayName(), L"AcmeService");
    properties.setServiceDisplayName(L"Acme");
    EXPECT_EQ(properties.getServiceDisplayName(), L"Acme");
}

TEST(PathSettings, KeepTheEarlierValueWhenTheNewPathIsMissing) {
    const TempDir dir;
    const std::wstring jvm = dir.writeFile(L"Server.DLL", "");
    const std::wstring home = dir.makeDir(L"Home");
    Properties properties;
    properties.setJvmPath(dir / L"jvm.dll");
    EXPECT_EQ(properties.getCustomJvmPath(), L"");
    properties.setJvmPath(jvm);
    properties.setJavaHomePath(home);
    properties.setJvmPath(dir / L"missing.dll");
    properties.setJavaHomePath(dir / L"Missing");
    properties.setJavaHomePath(home + platform::kPathSeparator);
    EXPECT_EQ(properties.getCustomJvmPath(), platform::kCaseInsensitivePaths ? toLowerAscii(jvm) : jvm);
    EXPECT_EQ(properties.getCustomJavaHomePath(), home);
}

TEST(PathSettings, IgnoreFinalSeparatorsAndStoreThePathWithoutThem) {
    const TempDir dir;
    const std::wstring jvm = dir.writeFile(L"server.dll", "");
    const std::wstring home = dir.makeDir(L"home");
    const std::wstring separator(1, platform::kPathSeparator);
    for (const std::wstring& ending : {separator, separator + separator, std::wstring(L"/")}) {
        Properties properties;
        properties.setJvmPath(jvm + ending);
        properties.setJavaHomePath(home + ending);
        EXPECT_EQ(toUtf8(properties.getCustomJvmPath()), toUtf8(platform::kCaseInsensitivePaths ? toLowerAscii(jvm) : jvm)) << toUtf8(ending);
        EXPECT_EQ(toUtf8(properties.getCustomJavaHomePath()), toUtf8(home)) << toUtf8(ending);
    }
}

}  // namespace
