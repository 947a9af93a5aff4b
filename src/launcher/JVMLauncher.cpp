// The Java VM launch: the steps from the working directory to the teardown, the VM main
// thread's stack size, and the console trap's call of initiateExit.
#include "launcher/JVMLauncher.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>

#include "config/ClassAndLibraryPath.h"
#include "config/Properties.h"
#include "launcher/ConsoleTrap.h"
#include "launcher/DebugFile.h"
#include "launcher/cache/StartupCache.h"
#include "launcher/vm/PendingException.h"
#include "platform/ConsoleEvents.h"
#include "platform/DynamicLibrary.h"
#include "platform/ErrorBox.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

std::atomic<JVMLauncher*> currentLauncher{nullptr};

namespace {

// Console event threads between reading `currentLauncher` and being done with that launcher: its
// destructor waits for them. Never inside the VM, so the wait is short.
std::atomic<int> eventsReachingLauncher{0};
// Console event threads inside the VM library. One may stay there for good (a thread the VM let
// go of while it was being destroyed can block inside it), so nothing waits for them.
std::atomic<int> eventsInsideVm{0};
// The hook that a service launch gives the VM, to learn the exit code of System.exit.
std::atomic<VmExitHook> vmExitHook{nullptr};
std::atomic<MainGate> mainGate{nullptr};

constexpr std::uint64_t kDefaultVmMainThreadStackBytes = std::uint64_t{8} << 20;
// Far above what JNI_CreateJavaVM needs before it can refuse a small -Xss (about 48 KB).
constexpr std::uint64_t kMinimumVmMainThreadStackBytes = std::uint64_t{1} << 20;

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

// Calls initiateExit(0) of the main class on `env`'s thread; describes a missing class or method.
void callInitiateExitWith(JNIEnv* env, const std::string& mainClassName) {
    const jclass mainClass = env->FindClass(mainClassName.c_str());
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

void attachAndCallInitiateExit(const VmCall& call) {
    JNIEnv* env = nullptr;
    if (call.javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) < 0) return;
    callInitiateExitWith(env, call.mainClass);
    call.javaVm->DetachCurrentThread();
}

// The failure of a VM main thread that could not be created, naming the option that sized it.
LaunchError mainThreadFailure(const VmMainThreadStack& stack) {
    if (stack.option.empty()) return LaunchError{L"Cannot create the Java VM's main thread."};
    return LaunchError{L"Cannot create the Java VM's main thread with the stack size " + stack.option + L"."};
}

}  // namespace

void setVmExitHook(VmExitHook hook) {
    vmExitHook = hook;
}

void setMainGate(MainGate gate) {
    mainGate = gate;
}

VmMainThreadStack vmMainThreadStack(const std::vector<std::wstring>& options) {
    std::wstring sizingOption;
    std::uint64_t bytes = kDefaultVmMainThreadStackBytes;
    for (const std::wstring& option : options) {
        if (const std::optional<std::uint64_t> optionBytes = stackOptionBytes(option)) {
            sizingOption = option;
            bytes = *optionBytes;
        }
    }
    bytes = std::clamp<std::uint64_t>(bytes, kMinimumVmMainThreadStackBytes, std::numeric_limits<std::size_t>::max());
    return {sizingOption, static_cast<std::size_t>(bytes)};
}

JVMLauncher::JVMLauncher(Properties& properties) : m_properties(properties) {
    currentLauncher = this;
}

JVMLauncher::~JVMLauncher() {
    JVMLauncher* self = this;
    currentLauncher.compare_exchange_strong(self, nullptr);
    // An event thread that read the pointer just before it was cleared may still be using it.
    while (eventsReachingLauncher != 0) platform::yieldThread();
}

void JVMLauncher::launch() {
    reportFailures(L"Error while launching program with JVM.", [this] {
        // On Linux the primordial thread's stack is capped by the process stack limit, whatever
        // -Xss says, so the VM gets a main thread of its own there.
        const VmMainThreadStack stack = vmMainThreadStack(m_properties.getJavaSystemProperties());
        const std::optional<int> ran = platform::runAsVmMainThread(stack.bytes, [this] {
            runLaunchSteps();
            return 0;
        });
        if (!ran) throw mainThreadFailure(stack);
    });
}

void JVMLauncher::runLaunchSteps() {
    changeToWorkingDirectory();
    writeDebugLines();
    // Kept while the heap limits measure the address space, so that its mapping counts too.
    std::optional<platform::PlaceholderWindow> placeholderWindow;
    if (m_properties.isMemoryCheckLimits()) placeholderWindow.emplace();
    loadVmRuntimeLibrary(vmRuntimeHome(m_properties.getFoundJvm()->getJavaHomePath(), m_properties.getFoundJvm()->getJvmPath()));
    const VmLibrary vmLibrary = loadVmLibraryAndShowSplashScreen();
    m_properties.computeMemoryOptions();
    createJavaVm(vmLibrary);
    const jclass mainClass = findMainClass();
    const jmethodID main = findMainMethod(mainClass);
    const jobjectArray arguments = buildJavaArguments();
    installConsoleTrap();
    placeholderWindow.reset();
    const MainGate gate = mainGate.load();
    if (gate == nullptr || gate()) callMain(mainClass, main, arguments);
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
    for (const std::wstring& note : m_properties.getDebugNotes()) appendDebugLine(debugFile, note);
}

VmLibrary JVMLauncher::loadVmLibraryAndShowSplashScreen() {
    const std::wstring& jvmPath = m_properties.getFoundJvm()->getJvmPath();
    // In the order of the Java runtime's own launcher on each system.
    if (platform::kSplashLibraryNeedsVmLibrary) {
        const VmLibrary vmLibrary = loadVmLibrary(jvmPath);
        showSplashScreen();
        return vmLibrary;
    }
    showSplashScreen();
    return loadVmLibrary(jvmPath);
}

void JVMLauncher::showSplashScreen() {
    const std::wstring& splashFile = m_properties.getSplash();
    if (splashFile.empty()) return;
    // The splash library takes narrow names in the VM's code page; a name that does not fit
    // there has no splash.
    const std::optional<std::string> fileName = encodeFileName(splashFile, systemVmTextEncoding());
    if (!fileName) return;
    const std::optional<SplashLibrary> splash = loadSplashLibrary(m_properties.getFoundJvm()->getJavaHomePath());
    if (!splash) return;
    splash->init();
    splash->loadFile(fileName->c_str());
    splash->setFileJarName(fileName->c_str(), nullptr);
}

VmInitArgs JVMLauncher::buildInitArgs() {
    return reportFailures(L"Error while setting up JVM init arguments.", [this] {
        completePathOptions(m_properties);
        addStartupCacheOptions(m_properties);
        return VmInitArgs(m_properties.getJavaSystemProperties(), systemVmTextEncoding(), vmExitHook.load(), startupCacheAbortHook());
    });
}

void JVMLauncher::createJavaVm(const VmLibrary& vmLibrary) {
    JavaVM* javaVm = nullptr;
    JNIEnv* env = nullptr;
    std::vector<SystemProperty> lateProperties;
    const jint result = [&] {
        VmInitArgs initArgs = buildInitArgs();
        lateProperties = initArgs.lateProperties();
        const std::wstring& debugFile = m_properties.getDebugFile();
        if (!debugFile.empty()) {
            for (const std::wstring& note : initArgs.notes()) appendDebugLine(debugFile, note);
        }
        setVmStage(VmStage::Creating);
        const jint created = vmLibrary.createJavaVm(&javaVm, reinterpret_cast<void**>(&env), initArgs.get());
        setVmStage(VmStage::Running);
        return created;
    }();
    if (result < 0) throw LaunchError{L"Cannot create Java VM."};
    m_env = env;
    if (describePendingException(m_env)) throw LaunchError{L"Error occurred while creating Java VM."};
    m_javaVm = javaVm;
    m_vmAlive = true;
    setSystemProperties(m_env, lateProperties);
}

jclass JVMLauncher::findMainClass() {
    const std::wstring& name = m_properties.getMainClass();
    const jclass mainClass = m_env->FindClass(toModifiedUtf8(name).c_str());
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
    // Detached, the main thread ends in Java's eyes, so a thread that joins it (a shutdown watcher)
    // can end too; attached, DestroyJavaVM would wait for that thread for good.
    m_javaVm->DetachCurrentThread();
    m_env = nullptr;
    setVmStage(VmStage::Destroying);
    m_javaVm->DestroyJavaVM();  // returns once the program's last non-daemon thread has ended
    setVmStage(VmStage::Running);
    m_vmAlive = false;
    // A console event that got past the flag before it was cleared may still be inside the VM
    // library, and may stay there for good. Its library then stays loaded: the process ends right
    // after this.
    if (eventsInsideVm == 0) platform::freeLibrary(vmLibrary.library);
    platform::removeConsoleHandler(consoleCtrlHandler);
}

void JVMLauncher::callInitiateExit() {
    ++eventsReachingLauncher;
    std::optional<VmCall> call;
    if (JVMLauncher* launcher = currentLauncher.load()) call = launcher->enterVmForEvent();
    --eventsReachingLauncher;
    if (!call) return;
    attachAndCallInitiateExit(*call);
    --eventsInsideVm;
}

// Counts the calling event thread inside the VM and returns what it needs there, while the VM runs.
std::optional<VmCall> JVMLauncher::enterVmForEvent() {
    ++eventsInsideVm;
    if (m_vmAlive) return VmCall{m_javaVm, toModifiedUtf8(m_properties.getMainClass())};
    --eventsInsideVm;
    return std::nullopt;
}
