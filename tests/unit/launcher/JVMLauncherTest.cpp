// The Java VM launch against the fake VM: the JNI calls in order, the options, every failing
// step's message, the libraries loaded, and the console trap.
#include "launcher/JVMLauncher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FakeVm.h"
#include "config/Properties.h"
#include "jvm/JVM.h"
#include "launcher/ConsoleTrap.h"
#include "launcher/vm/VmLibrary.h"
#include "platform/CodePage.h"
#include "platform/ConsoleEvents.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"
#include "support/ReportedFailure.h"
#include "support/TempDir.h"
#include "util/Text.h"

namespace {

using Lines = std::vector<std::string>;

const std::wstring kSeparator(1, platform::kPathSeparator);

// The VM record of a VM chosen by its library path alone, or with a Java home.
std::shared_ptr<const JVM> jvmAt(const std::wstring& jvmPath, const std::wstring& javaHome = L"") {
    auto jvm = std::make_shared<JVM>();
    jvm->setJvmPath(jvmPath);
    jvm->setJavaHomePath(javaHome);
    return jvm;
}

// The lines of `lines` from the first that starts with `first` up to the end.
Lines from(const Lines& lines, const std::string& first) {
    const auto start = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) { return startsWith(fromUtf8(line), fromUtf8(first)); });
    return Lines(start, lines.end());
}

bool contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class JVMLauncherTest : public testing::Test {
protected:
    JVMLauncherTest() {
        m_properties.setMainClass(L"com.acme.Main");
        m_properties.setFoundJvm(jvmAt(FakeVm::libraryPath()));
    }

    ~JVMLauncherTest() override { platform::changeDirectory(m_startDirectory); }

    void launch() {
        JVMLauncher launcher(m_properties);
        launcher.launch();
    }

    // The calls after the VM was created, with the options left out.
    Lines callsAfterCreation() const { return from(m_vm.logLines(), "ExceptionOccurred"); }

    const std::wstring m_startDirectory = platform::currentDirectory().value_or(L"");
    TempDir m_dir;
    FakeVm m_vm{m_dir.path()};
    Properties m_properties;
};

TEST_F(JVMLauncherTest, CallsMainOfTheClassInSlashFormWithTheArgumentsAsUtf16AndDetachesBeforeTheTeardown) {
    m_properties.setNumberOfCommandLineArguments(3);
    m_properties.setCommandLineArgument(L"first", 0);
    m_properties.setCommandLineArgument(L"", 1);
    m_properties.setCommandLineArgument(L"gr\u00fc\u00dfe \u20ac \U0001F600", 2);
    m_properties.setCommandLineArgument(L"configured", 5);

    launch();

    EXPECT_EQ(callsAfterCreation(), (Lines{
        "ExceptionOccurred none",
        "FindClass com/acme/Main",
        "ExceptionOccurred none",
        "GetStaticMethodID com/acme/Main main ([Ljava/lang/String;)V",
        "ExceptionOccurred none",
        "NewStringUTF ",
        "FindClass java/lang/String",
        "NewObjectArray 4 java/lang/String ",
        "NewString first",
        "SetObjectArrayElement 0 first",
        "NewString ",
        "SetObjectArrayElement 1 ",
        "NewString gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80",
        "SetObjectArrayElement 2 gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80",
        "NewString configured",
        "SetObjectArrayElement 3 configured",
        "ExceptionOccurred none",
        "CallStaticVoidMethod com/acme/Main main 4",
        "ExceptionOccurred none",
        "DetachCurrentThread",
        "DestroyJavaVM",
    }));
    EXPECT_EQ(toUtf8(m_properties.getMainClass()), "com/acme/Main");
}

TEST_F(JVMLauncherTest, HandsTheOptionsToTheVmAfterTheHeapOptionsAndBeforeThePathOptions) {
    const std::wstring jars = m_dir.makeDir(L"lib");
    m_dir.writeFile(L"lib" + kSeparator + L"app.jar", "");
    m_properties.addJavaSystemProperty(L"-Dapp.mode=test");
    m_properties.addJavaSystemProperty(L"-Dname=a=b \u00e9");
    m_properties.setMemoryMaxLowerLimit(L"65536");
    m_properties.setMemoryInitLowerLimit(L"32768");
    m_properties.addJarsToClasspath(jars, false);
    m_properties.addLibraryPathDirectories(L"native", false);

    launch();

    const Lines lines = m_vm.logLines();
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 8), (Lines{
        "JNI_CreateJavaVM version=0x00010002 nOptions=6 ignoreUnrecognized=0",
        "option -Dapp.mode=test",
        "option " + *platform::toCodePage(L"-Dname=a=b \u00e9", platform::vmCodePage()),
        "option -Xmx65536k",
        "option -Xms32768k",
        "option -Djava.class.path=" + toUtf8(jars + kSeparator + L"app.jar"),
        "option -Djava.library.path=native",
        "ExceptionOccurred none",
    }));
}

TEST_F(JVMLauncherTest, FindsAMainClassBeyondTheBasicPlaneByItsModifiedUtf8Name) {
    m_properties.setMainClass(L"com.acme.\U0001D400pp");

    launch();

    EXPECT_TRUE(contains(m_vm.logLines(), "FindClass com/acme/\xED\xA0\xB5\xED\xB0\x80pp"));
}

TEST_F(JVMLauncherTest, EndsEveryFailingStepWithItsOwnMessageAndLeavesTheVmAlive) {
    const struct {
        const char* failingStep;
        std::wstring message;
        bool describesTheException;
    } cases[] = {
        {"create", L"Cannot create Java VM.", false},
        {"create-exception", L"Error occurred while creating Java VM.", true},
        {"findclass-exception", L"Error occurred while attempting to find Java class com/acme/Main", true},
        {"findclass-null", L"Cannot find main Java class com/acme/Main", false},
        {"method-exception", L"Error occurred while getting main method in Java class com/acme/Main", true},
        {"method-null", L"Cannot find main method in Java class.", false},
        {"array-null", L"Error creating new object array to hold command line arguments.", false},
        {"set-exception", L"Error occurred while setting command line arguments for the Java class com/acme/Main", true},
        {"main-exception", L"Error occured while calling main method in Java class com/acme/Main", true},
    };
    m_properties.setCommandLineArgument(L"argument", 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failingStep);
        TempDir logFolder;
        FakeVm vm(logFolder.path());
        vm.failAt(c.failingStep);

        EXPECT_REPORT(launch(), L"Error in Java launcher. " + c.message);

        const Lines lines = vm.logLines();
        EXPECT_EQ(contains(lines, "ExceptionDescribe"), c.describesTheException);
        EXPECT_FALSE(contains(lines, "DestroyJavaVM"));
    }
}

TEST_F(JVMLauncherTest, ChangesToTheWorkingDirectoryFirst) {
    const std::wstring workingDir = m_dir.makeDir(L"work");
    m_properties.setWorkingDir(workingDir);

    launch();

    EXPECT_EQ(toUtf8(platform::currentDirectory().value_or(L"")), toUtf8(workingDir));
}

TEST_F(JVMLauncherTest, EndsBeforeWritingOrLoadingAnythingWhenTheWorkingDirectoryIsMissing) {
    const std::wstring workingDir = m_dir / L"missing";
    const std::wstring debugFile = m_dir / L"debug.txt";
    m_properties.setWorkingDir(workingDir);
    m_properties.setDebugFile(debugFile);

    EXPECT_REPORT(launch(), L"Error in Java launcher. Could not change directory to " + workingDir);

    EXPECT_EQ(m_vm.logLines(), Lines{});
    EXPECT_FALSE(platform::findsEntry(debugFile));
}

TEST_F(JVMLauncherTest, WritesTheChosenVmAndTheConfigurationAsReadToTheDebugFile) {
    const std::wstring debugFile = m_dir / L"debug.txt";
    m_properties.setDebugFile(debugFile);
    m_properties.setMemoryMaxLowerLimit(L"65536");
    m_properties.addDebugNote(L"JVM candidate: one");
    m_properties.addDebugNote(L"Unknown key ignored: wexal.two");
    const std::wstring chosenJvm = m_properties.getFoundJvm()->toString();
    const std::wstring configuration = m_properties.toString();

    launch();

    const std::optional<std::string> written = platform::readFileBytes(debugFile);
    ASSERT_TRUE(written.has_value());
    std::wstring text = fromUtf8(*written);
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    EXPECT_EQ(toUtf8(text), toUtf8(L"The chosen JVM: " + chosenJvm + L"\nThe properties chosen: " + configuration +
                                   L"\nJVM candidate: one\nUnknown key ignored: wexal.two\n"));
}

TEST_F(JVMLauncherTest, ShowsTheSplashThroughTheVmsSplashLibraryBeforeCreatingTheVm) {
    m_properties.setFoundJvm(jvmAt(FakeVm::libraryPath(), FakeVm::javaHome()));
    m_properties.setSplash(L"splash.png");

    launch();

    const Lines lines = m_vm.logLines();
    const Lines splash = from(lines, "Splash");
    ASSERT_GE(splash.size(), 4u);
    EXPECT_EQ(Lines(splash.begin(), splash.begin() + 4), (Lines{
        "SplashInit",
        "SplashLoadFile splash.png",
        "SplashSetFileJarName null splash.png",
        "JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0",
    }));
}

TEST_F(JVMLauncherTest, LoadsNoSplashLibraryWithoutASplashFile) {
    m_properties.setFoundJvm(jvmAt(FakeVm::libraryPath(), FakeVm::javaHome()));

    launch();

    EXPECT_EQ(from(m_vm.logLines(), "Splash"), Lines{});
}

TEST_F(JVMLauncherTest, LoadsTheFirstOfTheVmsRuntimeLibrariesThatLoads) {
    const wchar_t* const* names = platform::kVmRuntimeLibraryNames;
    if (!names[0] || !names[1]) GTEST_SKIP() << "the VM brings no runtime libraries of its own here";
    const std::wstring fakeTypesFolder = FakeVm::javaHome() + kSeparator + platform::kVmTypesFolder + kSeparator;
    // Copies in Java homes of their own, since a library loads (and records its loading) once.
    const struct {
        std::vector<std::wstring> present;
        std::string loaded;
    } cases[] = {
        {{names[0], names[1]}, "loaded " + toUtf8(names[0])},
        {{names[1]}, "loaded " + toUtf8(names[1])},
    };
    for (const auto& c : cases) {
        TempDir javaHome;
        const std::wstring typesFolder = javaHome.makeDir(platform::kVmTypesFolder) + kSeparator;
        for (const std::wstring& name : c.present) std::filesystem::copy_file(fakeTypesFolder + name, typesFolder + name);
        TempDir logFolder;
        FakeVm vm(logFolder.path());
        m_properties.setFoundJvm(jvmAt(FakeVm::libraryPath(), javaHome.path()));

        launch();

        EXPECT_EQ(from(vm.logLines(), "loaded").at(0), c.loaded);
        EXPECT_EQ(from(vm.logLines(), "loaded").at(1), "JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0");
    }
}

TEST(VmRuntimeHome, IsTheJavaHomeElseTheHomeAboveAConfiguredVmLibrary) {
    const TempDir dir;
    const std::wstring sep(1, platform::kPathSeparator);
    const std::wstring types = sep + platform::kVmTypesFolder + sep;
    dir.writeFile(L"home" + types + L"server" + sep + platform::kVmLibraryName, "");
    dir.writeFile(L"loose" + sep + L"server" + sep + platform::kVmLibraryName, "");
    const std::wstring homeLibrary = dir / L"home" + types + L"server" + sep + platform::kVmLibraryName;
    const struct {
        std::wstring javaHome;
        std::wstring jvmPath;
        std::wstring runtimeHome;
    } cases[] = {
        {L"given", homeLibrary, L"given"},
        {L"", homeLibrary, dir / L"home"},
        {L"", dir / L"loose" + sep + L"server" + sep + platform::kVmLibraryName, L""},
        {L"", platform::kVmLibraryName, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(vmRuntimeHome(c.javaHome, c.jvmPath)), toUtf8(c.runtimeHome)) << toUtf8(c.jvmPath);
}

TEST_F(JVMLauncherTest, ReportsAVmLibraryThatDoesNotLoad) {
    const std::wstring missing = m_dir / L"missing" + kSeparator + platform::kVmLibraryName;
    m_properties.setFoundJvm(jvmAt(missing));

    // Windows names its error code and text, with a hint for the missing file; Linux tells dlopen's reason.
    const std::wstring reason = platform::kPathSeparator == L'\\'
                                    ? L" (error 126: Module not found.)\nA library it needs is missing, typically the Visual C++ runtime of that Java."
                                    : L": " + missing + L": cannot open shared object file: No such file or directory";
    EXPECT_REPORT(launch(), L"Error in Java launcher. Could not load the Java VM library " + missing + reason);
}

TEST_F(JVMLauncherTest, ReportsAVmLibraryWithoutTheInvocationEntryPoint) {
    const std::wstring notJvm = FakeVm::javaHome() + kSeparator + platform::kVmTypesFolder + kSeparator + fromUtf8(WEXAL_FAKE_NOT_JVM_NAME);
    m_properties.setFoundJvm(jvmAt(notJvm));

    EXPECT_REPORT(launch(), L"Error in Java launcher. The Java VM library " + notJvm + L" has no JNI_CreateJavaVM.");
}

// Each console event sent while main runs, and what reaches Java.
TEST_F(JVMLauncherTest, AnswersConsoleEventsWhileMainRuns) {
    const Lines initiateExit = {
        "AttachCurrentThread",
        "FindClass com/acme/Main",
        "GetStaticMethodID com/acme/Main initiateExit (I)V",
        "CallStaticVoidMethod com/acme/Main initiateExit 0",
        "DetachCurrentThread",
    };
    const struct {
        unsigned event;
        bool handled;
        Lines calls;
    } cases[] = {
        {platform::kCtrlC, true, initiateExit}, {platform::kCtrlBreak, true, initiateExit},
        {platform::kClose, true, initiateExit}, {3, false, {}},
        {4, false, {}},                         {platform::kLogoff, true, {}},
        {platform::kShutdown, true, initiateExit}, {7, false, {}},
        {1000, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.event);
        TempDir logFolder;
        FakeVm vm(logFolder.path());
        bool handled = !c.handled;
        vm.duringMain([&] { handled = consoleCtrlHandler(c.event); });

        launch();

        EXPECT_EQ(handled, c.handled);
        Lines calls = from(vm.logLines(), "CallStaticVoidMethod com/acme/Main main");
        calls.erase(calls.begin());
        calls.erase(std::find(calls.begin(), calls.end(), "ExceptionOccurred none"), calls.end());
        EXPECT_EQ(calls, c.calls);
    }
}

TEST_F(JVMLauncherTest, DescribesAMissingInitiateExitAndStillHandlesTheEvent) {
    m_vm.failAt("initiateexit-null");
    bool handled = false;
    m_vm.duringMain([&] { handled = consoleCtrlHandler(platform::kCtrlC); });

    launch();

    EXPECT_TRUE(handled);
    EXPECT_EQ(from(m_vm.logLines(), "GetStaticMethodID com/acme/Main initiateExit"), (Lines{
        "GetStaticMethodID com/acme/Main initiateExit (I)V",
        "ExceptionOccurred pending",
        "ExceptionDescribe",
        "DetachCurrentThread",
        "ExceptionOccurred none",
        "DetachCurrentThread",
        "DestroyJavaVM",
    }));
}

TEST_F(JVMLauncherTest, LeavesTheVmAloneWhenTheEventThreadCannotAttach) {
    m_vm.failAt("attach");
    m_vm.duringMain([] { consoleCtrlHandler(platform::kCtrlC); });

    launch();

    EXPECT_EQ(from(m_vm.logLines(), "AttachCurrentThread"), (Lines{"AttachCurrentThread", "ExceptionOccurred none", "DetachCurrentThread", "DestroyJavaVM"}));
}

TEST_F(JVMLauncherTest, KeepsConsoleEventsAwayFromATornDownVm) {
    JVMLauncher launcher(m_properties);
    launcher.launch();
    const Lines afterTeardown = m_vm.logLines();

    EXPECT_TRUE(consoleCtrlHandler(platform::kCtrlC));

    EXPECT_EQ(m_vm.logLines(), afterTeardown);
}

// Under AddressSanitizer an event that reaches a destroyed launcher shows as a use after free.
TEST(ConsoleTrap, ReachesNoLauncherOnceItsDestructorHasReturned) {
    Properties properties;
    properties.setMainClass(L"com.acme.Main");
    std::atomic<bool> stop{false};
    std::vector<std::thread> eventThreads;
    for (int i = 0; i < 3; ++i) {
        eventThreads.emplace_back([&] {
            while (!stop) consoleCtrlHandler(platform::kCtrlC);
        });
    }
    for (int i = 0; i < 20000; ++i) std::make_unique<JVMLauncher>(properties).reset();
    stop = true;
    for (std::thread& thread : eventThreads) thread.join();
}

TEST(VmMainThreadStack, TakesTheLastValidStackSizeOptionAndAtLeastOneMebibyte) {
    const struct {
        std::vector<std::wstring> options;
        std::wstring option;
        std::size_t bytes;
    } cases[] = {
        {{}, L"", 8u << 20},
        {{L"-Dx=1"}, L"", 8u << 20},
        {{L"-Xss4m"}, L"-Xss4m", 4u << 20},
        {{L"-Xss2048k"}, L"-Xss2048k", 2048u << 10},
        {{L"-Xss2048K"}, L"-Xss2048K", 2048u << 10},
        {{L"-Xss1G"}, L"-Xss1G", 1u << 30},
        {{L"-Xss3000000"}, L"-Xss3000000", 3000000},
        {{L"-Xss512k"}, L"-Xss512k", 1u << 20},
        {{L"-Xss1k"}, L"-Xss1k", 1u << 20},
        {{L"-Xss1"}, L"-Xss1", 1u << 20},
        {{L"-Xss4m", L"-Dx=1", L"-Xss2m"}, L"-Xss2m", 2u << 20},
        {{L"-Xss4m", L"-Xssabc"}, L"-Xss4m", 4u << 20},
        {{L"-Xss4m", L"-Xss2x"}, L"-Xss4m", 4u << 20},
        {{L"-Xss4m", L"-Xss2mb"}, L"-Xss4m", 4u << 20},
        {{L"-Xss0"}, L"", 8u << 20},
        {{L"-Xss"}, L"", 8u << 20},
        {{L"-Xss-1m"}, L"", 8u << 20},
        {{L"-Xss99999999999999999999"}, L"", 8u << 20},
        {{L"-Xss99999999999g"}, L"", 8u << 20},
        {{L"-XX:ThreadStackSize=4096"}, L"", 8u << 20},
    };
    for (const auto& c : cases) {
        const VmMainThreadStack stack = vmMainThreadStack(c.options);
        const std::string trace = c.options.empty() ? "" : toUtf8(c.options.back());
        EXPECT_EQ(stack.bytes, c.bytes) << trace;
        EXPECT_EQ(toUtf8(stack.option), toUtf8(c.option)) << trace;
    }
}

}  // namespace
