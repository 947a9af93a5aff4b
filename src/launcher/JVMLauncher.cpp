// The Java VM launch: the steps from the working directory to the teardown, the VM main
// thread's stack size, and the console trap's call of initiateExit.
#include "launcher/JVMLauncher.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "config/ClassAndLibraryPath.h"
#include "config/Properties.h"
#include "launcher/ConsoleTrap.h"
#include "launcher/DebugFile.h"
#include "platform/ConsoleEvents.h"
#include "platform/DynamicLibrary.h"
#include "platform/ErrorBox.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

std::atomic<JVMLauncher*> currentLauncher{nullptr};

namespace {

std::atomic<VmExitHook> vmExitHook{nullptr};

}  // namespace

void setVmExitHook(VmExitHook hook) {
    vmExitHook = hook;
}

namespace {

constexpr std::uint64_t kDefaultVmMainThreadStackBytes = std::uint64_t{8} << 20;

// True when a Java exception is pending on `env`; its description then goes to the VM's error
// stream (which also clears it).
bool describePendingException(JNIEnv* env) {
    if (!env->ExceptionOccurred()) return false;
    env->ExceptionDescribe();
    return true;
}

// Bytes per unit of an -Xss size: none, k, m or g, in either case; 0 for anything else.
std::uint64_t bytesPerUnit(const std::wstring& unit) {
    const std::wstring lowerCase = toLowerAscii(unit);
    if (lowerCase.empty()) return 1;
    if (lowerCase == L"k") return std::uint64_t{1} << 10;
    if (lowerCase == L"m") return std::uint64_t{1} << 20;
    if (lowerCase == L"g") return std::uint64_t{1} << 30;
    return 0;
}

// The size of an "-Xss<n>[k|m|g]" option in bytes; empty for other options and for sizes that are
// malformed, zero or beyond 64 bits.
std::optional<std::uint64_t> stackOptionBytes(const std::wstring& option) {
    const std::wstring prefix = L"-Xss";
    if (!startsWith(option, prefix)) return std::nullopt;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    std::size_t at = prefix.size();
    for (; at < option.size() && option[at] >= L'0' && option[at] <= L'9'; ++at) {
        const unsigned digit = option[at] - L'0';
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (at == prefix.size() || value == 0) return std::nullopt;
    const std::uint64_t scale = bytesPerUnit(option.substr(at));
    if (scale == 0 || value > kMax / scale) return std::nullopt;
    return value * scale;
}

}  // namespace

std::size_t vmMainThreadStackBytes(const std::vector<std::wstring>& options) {
    std::uint64_t bytes = kDefaultVmMainThreadStackBytes;
    for (const std::wstring& option : options) {
        if (const std::optional<std::uint64_t> optionBytes = stackOptionBytes(option)) bytes = *optionBytes;
    }
    return static_cast<std::size_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::size_t>::max()));
}

VmInitArgs::VmInitArgs(const std::vector<std::wstring>& options, VmExitHook exitHook) {
    m_texts.reserve(options.size() + 1);
    for (const std::wstring& option : options) m_texts.push_back(toUtf8(option));
    if (exitHook != nullptr) m_texts.emplace_back("exit");
    for (std::string& text : m_texts) m_options.push_back(JavaVMOption{text.data(), nullptr});
    // The VM takes the hook as the "exit" option's extra information.
    if (exitHook != nullptr) m_options.back().extraInfo = reinterpret_cast<void*>(exitHook);
    m_args.version = JNI_VERSION_1_2;
    m_args.nOptions = static_cast<jint>(m_options.size());
    m_args.options = m_options.data();
    m_args.ignoreUnrecognized = JNI_FALSE;
}

JVMLauncher::JVMLauncher(Properties& properties) : m_properties(properties) {
    currentLauncher = this;
}

JVMLauncher::~JVMLauncher() {
    JVMLauncher* self = this;
    currentLauncher.compare_exchange_strong(self, nullptr);
}

void JVMLauncher::launch() {
    reportFailures(L"Error while launching program with JVM.", [this] {
        // On Linux the primordial thread's stack is capped by the process stack limit, whatever
        // -Xss says, so the VM gets a main thread of its own there.
        platform::runAsVmMainThread(vmMainThreadStackBytes(m_properties.getJavaSystemProperties()), [this] {
            runLaunchSteps();
            return 0;
        });
    });
}

void JVMLauncher::runLaunchSteps() {
    changeToWorkingDirectory();
    writeDebugLines();
    // Kept while the heap limits measure the address space, so that its mapping counts too.
    std::optional<platform::PlaceholderWindow> placeholderWindow;
    if (m_properties.isMemoryCheckLimits()) placeholderWindow.emplace();
    loadVmRuntimeLibrary(m_properties.getFoundJvm()->getJavaHomePath());
    showSplashScreen();
    const VmLibrary vmLibrary = loadVmLibrary(m_properties.getFoundJvm()->getJvmPath());
    m_properties.computeMemoryOptions();
    createJavaVm(vmLibrary);
    const jclass mainClass = findMainClass();
    const jmethodID main = findMainMethod(mainClass);
    const jobjectArray arguments = buildJavaArguments();
    installConsoleTrap();
    placeholderWindow.reset();
    callMain(mainClass, main, arguments);
    tearDown(vmLibrary);
}

void JVMLauncher::changeToWorkingDirectory() {
    const std::wstring& workingDir = m_properties.getWorkingDir();
    if (workingDir.empty()) return;
    if (!platform::changeDirectory(workingDir)) throw LaunchError{L"Could not change directory to " + workingDir};
}

void JVMLauncher::writeDebugLines() {
    const std::wstring& debugFile = m_properties.getDebugFile();
    if (debugFile.empty()) return;
    appendDebugLine(debugFile, L"The chosen JVM: " + m_properties.getFoundJvm()->toString());
    appendDebugLine(debugFile, L"The properties chosen: " + m_properties.toString());
}

void JVMLauncher::showSplashScreen() {
    const std::wstring& splashFile = m_properties.getSplash();
    if (splashFile.empty()) return;
    const std::optional<SplashLibrary> splash = loadSplashLibrary(m_properties.getFoundJvm()->getJavaHomePath());
    if (!splash) return;
    // The splash library takes narrow names in the thread's ANSI code page, not UTF-8.
    const std::string fileName = platform::toNarrowFileName(splashFile);
    splash->init();
    splash->loadFile(fileName.c_str());
    splash->setFileJarName(fileName.c_str(), nullptr);
}

VmInitArgs JVMLauncher::buildInitArgs() {
    return reportFailures(L"Error while setting up JVM init arguments.", [this] {
        completePathOptions(m_properties);
        return VmInitArgs(m_properties.getJavaSystemProperties(), vmExitHook.load());
    });
}

void JVMLauncher::createJavaVm(const VmLibrary& vmLibrary) {
    JavaVM* javaVm = nullptr;
    JNIEnv* env = nullptr;
    const jint result = [&] {
        VmInitArgs initArgs = buildInitArgs();
        return vmLibrary.createJavaVm(&javaVm, reinterpret_cast<void**>(&env), initArgs.get());
    }();
    if (result < 0) throw LaunchError{L"Cannot create Java VM."};
    m_env = env;
    if (describePendingException(m_env)) throw LaunchError{L"Error occurred while creating Java VM."};
    m_javaVm = javaVm;
    m_vmAlive = true;
}

jclass JVMLauncher::findMainClass() {
    const std::wstring& name = m_properties.getMainClass();
    const jclass mainClass = m_env->FindClass(toUtf8(name).c_str());
    if (describePendingException(m_env)) throw LaunchError{L"Error occurred while attempting to find Java class " + name};
    if (!mainClass) throw LaunchError{L"Cannot find main Java class " + name};
    return mainClass;
}

jmethodID JVMLauncher::findMainMethod(jclass mainClass) {
    const jmethodID main = m_env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (describePendingException(m_env)) {
        throw LaunchError{L"Error occurred while getting main method in Java class " + m_properties.getMainClass()};
    }
    if (!main) throw LaunchError{L"Cannot find main method in Java class."};
    return main;
}

jobjectArray JVMLauncher::buildJavaArguments() {
    const std::vector<std::wstring> arguments = m_properties.getMainArguments();
    const jstring initialElement = m_env->NewStringUTF("");
    const jclass stringClass = m_env->FindClass("java/lang/String");
    const auto length = static_cast<jsize>(arguments.size());
    const jobjectArray array = m_env->NewObjectArray(length, stringClass, initialElement);
    if (!array) throw LaunchError{L"Error creating new object array to hold command line arguments."};
    for (jsize i = 0; i < length; ++i) {
        // From UTF-16 code units, so that no character is lost to a code page.
        const std::u16string text = toUtf16(arguments[i]);
        const jstring element = m_env->NewString(reinterpret_cast<const jchar*>(text.data()), static_cast<jsize>(text.size()));
        m_env->SetObjectArrayElement(array, i, element);
    }
    if (describePendingException(m_env)) {
        throw LaunchError{L"Error occurred while setting command line arguments for the Java class " + m_properties.getMainClass()};
    }
    return array;
}

void JVMLauncher::installConsoleTrap() {
    if (!m_properties.isTrapConsoleCtrl()) return;
    if (!platform::addConsoleHandler(consoleCtrlHandler)) throw LaunchError{L"Unable to catch console ctrl events."};
}

void JVMLauncher::callMain(jclass mainClass, jmethodID main, jobjectArray arguments) {
    // The table's variadic entry itself; the C++ wrapper would go through CallStaticVoidMethodV.
    m_env->functions->CallStaticVoidMethod(m_env, mainClass, main, arguments);
    if (describePendingException(m_env)) {
        throw LaunchError{L"Error occured while calling main method in Java class " + m_properties.getMainClass()};
    }
}

void JVMLauncher::tearDown(const VmLibrary& vmLibrary) {
    m_javaVm->DestroyJavaVM();  // returns once the program's last non-daemon thread has ended
    m_vmAlive = false;
    // A console event that got past the flag before it was cleared may still be inside the VM
    // library, and may stay there for good (a thread the VM let go of while detaching it can block
    // inside the destroyed VM). Its library then stays loaded: the process ends right after this.
    if (m_consoleCallsInside == 0) platform::freeLibrary(vmLibrary.library);
    platform::removeConsoleHandler(consoleCtrlHandler);
}

void JVMLauncher::callInitiateExit() {
    ++m_consoleCallsInside;
    if (m_vmAlive) attachAndCallInitiateExit();
    --m_consoleCallsInside;
}

void JVMLauncher::attachAndCallInitiateExit() {
    JNIEnv* env = nullptr;
    if (m_javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) < 0) return;
    callInitiateExitWith(env);
    m_javaVm->DetachCurrentThread();
}

void JVMLauncher::callInitiateExitWith(JNIEnv* env) {
    const jclass mainClass = env->FindClass(toUtf8(m_properties.getMainClass()).c_str());
    if (!mainClass) {
        describePendingException(env);
        return;
    }
    const jmethodID initiateExit = env->GetStaticMethodID(mainClass, "initiateExit", "(I)V");
    if (!initiateExit) {
        describePendingException(env);
        return;
    }
    env->functions->CallStaticVoidMethod(env, mainClass, initiateExit, jint{0});
}
