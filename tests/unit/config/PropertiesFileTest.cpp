// The configuration file: its name, loading, the keys and the order in which entries are applied.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/ConfigurationPasses.h"
#include "config/Properties.h"
#include "config/PropertiesFile.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"
#include "util/Text.h"

namespace {

const std::wstring kSeparator(1, platform::kPathSeparator);
const std::wstring kListSeparator(1, platform::kPathListSeparator);

std::wstring configurationFileNameOf(const std::wstring& exe) {
    return PropertiesFile(exe).getConfigurationFileName();
}

TEST(ConfigurationFileName, ReplacesAnExeExtensionOrAppendsLap) {
    const std::wstring folder = L"C:" + kSeparator + L"apps" + kSeparator;
    const struct {
        std::wstring exe;
        std::wstring configuration;
    } cases[] = {
        {folder + L"Tool.exe", folder + L"Tool.lap"},
        {folder + L"TOOL.Exe", folder + L"TOOL.lap"},
        {folder + L"Tool.EXE", folder + L"Tool.lap"},
        {folder + L"Tool.com", folder + L"Tool.com.lap"},
        {folder + L"tool.bin", folder + L"tool.bin.lap"},
        {folder + L"tool.exe.bak", folder + L"tool.exe.bak.lap"},
        {folder + L"tool.exes", folder + L"tool.exes.lap"},
        {folder + L"tool", folder + L"tool.lap"},
        {L"C:" + kSeparator + L"my.apps" + kSeparator + L"tool", L"C:" + kSeparator + L"my.apps" + kSeparator + L"tool.lap"},
        {L"C:" + kSeparator + L"my.exe" + kSeparator + L"tool", L"C:" + kSeparator + L"my.exe" + kSeparator + L"tool.lap"},
    };
    for (const auto& c : cases) EXPECT_EQ(configurationFileNameOf(c.exe), c.configuration);
}

// A launcher at tool.exe in a fresh folder, whose configuration file tool.lap chooses the VM file
// jvm.dll of that folder (so that the VM choice needs no installed Java).
class ConfigurationFile : public testing::Test {
protected:
    void SetUp() override { resetErrorReport(); }
    void TearDown() override { resetErrorReport(); }

    static void resetErrorReport() {
        setDefaultErrorText(L"Error in Java launcher.");
        setShowErrorDetail(true);
    }

    // Writes `text` and then the line choosing the VM file as tool.lap and loads it.
    Properties& load(const std::string& text) {
        m_dir.writeFile(L"tool.lap", text + "\nwexal.jvm.path=" + toUtf8(m_jvm) + "\n");
        return loadWrittenFile();
    }

    Properties& loadWrittenFile() {
        m_properties.setFullPathAndNameOfExe(m_dir / L"tool.exe");
        loadConfiguration(m_properties);
        return m_properties;
    }

    std::string inDir(const std::wstring& relative) const { return toUtf8(m_dir / relative); }

    TempDir m_dir;
    const std::wstring m_jvm = m_dir.writeFile(L"jvm.dll", "");
    Properties m_properties;
};

TEST_F(ConfigurationFile, ThatCannotBeOpenedIsReportedWithItsName) {
    EXPECT_REPORT(loadWrittenFile(), L"Error in Java launcher. Could not open file " + (m_dir / L"tool.lap"));
    m_dir.makeDir(L"tool.lap");
    EXPECT_REPORT(loadWrittenFile(), L"Error in Java launcher. Could not open file " + (m_dir / L"tool.lap"));
}

TEST_F(ConfigurationFile, WithAnOverlongLineIsReportedBeforeAnythingIsApplied) {
    m_dir.writeFile(L"tool.lap", "wexal.error.show.detail=no\nwexal.main.class=Main\r\n" + std::string(5000, 'x') + "\n");
    EXPECT_REPORT(loadWrittenFile(), L"Error in Java launcher. Line 3 of the configuration file " + (m_dir / L"tool.lap") +
                                         L" is longer than 4999 characters.");
    EXPECT_EQ(m_properties.getMainClass(), L"");
}

// `text` in UTF-16 with a byte-order mark, little-endian or big-endian.
std::string utf16WithMark(const std::string& text, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : text) bytes += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
}

TEST_F(ConfigurationFile, WithoutAMainClassIsReportedWithItsName) {
    const std::wstring missing = L"Error in Java launcher. The configuration file " + (m_dir / L"tool.lap") + L" sets no wexal.main.class.";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"no key", "wexal.main.clas=Main"},
        {"a key without value", "wexal.main.class"},
        {"an empty value", "wexal.main.class=Main\nwexal.main.class=  "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_REPORT(load(c.text), missing);
        m_properties = Properties();
    }
}

TEST_F(ConfigurationFile, SavedWithAByteOrderMarkOrInUtf16IsRead) {
    const std::string text = "wexal.main.class=Main\r\nwexal.jvm.path=" + toUtf8(m_jvm) + "\r\n";
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-8 mark", "\xEF\xBB\xBF" + text},
        {"UTF-16 little-endian", utf16WithMark(text, true)},
        {"UTF-16 big-endian", utf16WithMark(text, false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_dir.writeFile(L"tool.lap", c.bytes);
        EXPECT_EQ(loadWrittenFile().getMainClass(), L"Main");
        m_properties = Properties();
    }
}

TEST_F(ConfigurationFile, AppliesEachKeyToItsSetting) {
    using Reader = std::function<std::wstring(Properties&)>;
    const auto flag = [](bool value) { return std::wstring(value ? L"true" : L"false"); };
    const std::wstring home = m_dir.makeDir(L"Home");
    const struct {
        std::string line;
        Reader read;
        std::wstring expected;
    } cases[] = {
        {"  wexal.main.class = com.example.Main  ", &Properties::getMainClass, L"com/example/Main"},
        {"wexal.main.class=a=b", &Properties::getMainClass, L"a=b"},
        {"WEXAL.MAIN.CLASS=Main", &Properties::getMainClass, L"Default"},
        {"wexal.main.clas=Main", &Properties::getMainClass, L"Default"},
        {"wexal.java.bundle=JRE", &Properties::getJavaBundle, L"require_jre"},
        {"wexal.bin.jvm.dir=Server", &Properties::getCustomBinJvmDir, L"require_server"},
        {"wexal.java.home.path=" + toUtf8(home), &Properties::getCustomJavaHomePath, home},
        {"wexal.min.java.version=1.8.0_151", &Properties::getMinJavaVersion, L"1.8.0_151"},
        {"wexal.max.java.version=17", &Properties::getMaxJavaVersion, L"17"},
        {"wexal.trap.console.ctrl=Yes", [&](Properties& p) { return flag(p.isTrapConsoleCtrl()); }, L"true"},
        {"wexal.memory.check.limits=y   ", [&](Properties& p) { return flag(p.isMemoryCheckLimits()); }, L"true"},
        {"wexal.memory.check.limits=1", [&](Properties& p) { return flag(p.isMemoryCheckLimits()); }, L"false"},
        {"wexal.splash=a#b.png", &Properties::getSplash, L"a#b.png"},
        {"wexal.startup.cache=true", [&](Properties& p) { return flag(p.isStartupCache()); }, L"true"},
        {"wexal.startup.cache=no", [&](Properties& p) { return flag(p.isStartupCache()); }, L"false"},
        {"wexal.startup.cache=AOT", [&](Properties& p) { return flag(p.isStartupCache() && p.isStartupCacheAheadOfTime()); }, L"true"},
        {"wexal.startup.cache=true", [&](Properties& p) { return flag(p.isStartupCacheAheadOfTime()); }, L"false"},
        {"wexal.startup.cache.dir=cache", &Properties::getStartupCacheDir, L"cache"},
        {"wexal.working.dir=work", &Properties::getWorkingDir, L"work"},
        {"wexal.debug.file=debug.txt", &Properties::getDebugFile, L"debug.txt"},
        {"wexal.service.name=Tool Service", &Properties::getServiceName, L"Tool Service"},
        {"wexal.library.path.dir=native", &Properties::getLibraryPath, kListSeparator + L"native"},
    };
    for (const auto& c : cases) {
        Properties& properties = load("wexal.main.class=Default\n" + c.line);
        EXPECT_EQ(c.read(properties), c.expected) << c.line;
        m_properties = Properties();
    }
}

TEST_F(ConfigurationFile, ScansDirectoriesRecursivelyOnlyForTheRecursiveKeys) {
    m_dir.writeFile(L"lib" + kSeparator + L"ext" + kSeparator + L"a.jar", "");
    const std::wstring lib = m_dir / L"lib";
    const std::wstring jar = lib + kSeparator + L"ext" + kSeparator + L"a.jar";
    const std::wstring ext = lib + kSeparator + L"ext";
    const struct {
        const char* key;
        std::wstring jars;
        std::wstring libraries;
    } cases[] = {
        {"wexal.classpath.jars.dir", L"", L""},
        {"wexal.classpath.jars.dir.recursive", kListSeparator + jar, L""},
        {"wexal.library.path.dir", L"", kListSeparator + lib},
        {"wexal.library.path.dir.recursive", L"", kListSeparator + lib + kListSeparator + ext},
    };
    for (const auto& c : cases) {
        Properties& properties = load("wexal.main.class=Main\n" + (c.key + ("=" + toUtf8(lib))));
        EXPECT_EQ(properties.getJarsInClasspath(), c.jars) << c.key;
        EXPECT_EQ(properties.getLibraryPath(), c.libraries) << c.key;
        m_properties = Properties();
    }
}

TEST_F(ConfigurationFile, AppliesEntriesInPassesAroundTheVmChoice) {
    const std::wstring bitness = toDecimal(sizeof(void*) * 8);
    const struct {
        const char* what;
        std::string text;
        std::wstring mainClass;
    } cases[] = {
        {"the later of two plain lines", "wexal.main.class=First\nwexal.main.class=Second", L"Second"},
        {"with variables after without", "wexal.main.class=V${EXE_BITNESS}\nwexal.main.class=Plain", L"V" + bitness},
        {"without variables before with", "wexal.main.class=Plain\nwexal.main.class=V${EXE_BITNESS}", L"V" + bitness},
        {"a key produced by a variable", "${NONE}wexal.main.class=Produced\nwexal.main.class=V${EXE_BITNESS}", L"Produced"},
        {"a produced key before the plain one", "wexal.main.class=Plain\n${NONE}wexal.main.class=Produced", L"Produced"},
        {"after the VM choice", "wexal.main.class=Late${FOUND_JAVA_HOME}\n${NONE}wexal.main.class=Produced", L"Late"},
        {"other late entries last", "${FOUND_JAVA_HOME}wexal.main.class=OtherLate\nwexal.main.class=Late${FOUND_JAVA_HOME}",
         L"OtherLate"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(load(c.text).getMainClass(), c.mainClass) << c.what;
        m_properties = Properties();
    }
}

TEST_F(ConfigurationFile, PassesOptionLinesWholeAfterTheLauncherKeys) {
    const Properties& properties = load(
        "wexal.main.class=Main\n-Xss4m\n${NONE}-Dproduced=${EXE_BITNESS}\n-Dname=a=b\n  -Dpattern={0}  \n"
        "wexal.sysprop.process.id=y${NONE}es\nwexal.sysprop.process.id=yes");
    const std::wstring processId = L"-Dprocess.id=" + toDecimal(platform::processId());
    const std::vector<std::wstring> options = {processId, processId, L"-Xss4m", L"-Dname=a=b", L"-Dpattern={0}",
                                               L"-Dproduced=" + toDecimal(sizeof(void*) * 8)};
    EXPECT_EQ(properties.getJavaSystemProperties(), options);
}

TEST_F(ConfigurationFile, PlacesMainArgumentsByLineNumberAfterTheCommandLine) {
    m_properties.setNumberOfCommandLineArguments(2);
    m_properties.setCommandLineArgument(L"a", 0);
    m_properties.setCommandLineArgument(L"b", 1);
    const Properties& properties = load("wexal.main.class=Main\n\nwexal.main.argument=x\n\nwexal.main.argument=\n\nwexal.main.argument= y ");
    EXPECT_EQ(properties.getMainArguments(), (std::vector<std::wstring>{L"a", L"b", L"x", L"y"}));
    const std::wstring dump = properties.toString();
    EXPECT_EQ(dump.substr(dump.find(L",m_commandLineArguments[0]")),
              L",m_commandLineArguments[0]=a,m_commandLineArguments[1]=b,m_commandLineArguments[2]="
              L",m_commandLineArguments[3]=,m_commandLineArguments[4]=,m_commandLineArguments[5]=x"
              L",m_commandLineArguments[6]=,m_commandLineArguments[7]=,m_commandLineArguments[8]="
              L",m_commandLineArguments[9]=y");
}

TEST_F(ConfigurationFile, ErrorSettingsApplyToFailuresAfterTheirEntries) {
    // The configured Java home holds no VM, so the VM choice fails after the early passes.
    const std::string noVm = "wexal.java.home.path=" + inDir(L"Home") + "\nwexal.bin.jvm.dir=server\n";
    const std::wstring noVmMessage = L"The server JVM could not be found for Java home: " + (m_dir / L"Home");
    m_dir.makeDir(L"Home");
    const struct {
        const char* what;
        std::string text;
        std::wstring shown;
    } cases[] = {
        {"built-in settings", noVm, L"Error in Java launcher. " + noVmMessage},
        {"detail off", "wexal.error.show.detail=no\n" + noVm, L"Error in Java launcher."},
        {"own text", noVm + "wexal.error.default.text=Tool failed.", L"Tool failed. " + noVmMessage},
        {"own text without detail", "wexal.error.default.text=Tool failed.\nwexal.error.show.detail=No\n" + noVm, L"Tool failed."},
        {"empty text", "wexal.error.default.text=\n" + noVm, L" " + noVmMessage},
        {"text applied after the failure", "wexal.error.default.text=Late${FOUND_JAVA_HOME}\n" + noVm,
         L"Error in Java launcher. " + noVmMessage},
    };
    for (const auto& c : cases) {
        m_dir.writeFile(L"tool.lap", c.text);
        EXPECT_REPORT(loadWrittenFile(), c.shown);
        resetErrorReport();
        m_properties = Properties();
    }
}

}  // namespace
