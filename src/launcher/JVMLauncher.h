// The Java VM launch: a fully loaded configuration becomes a running Java program inside this
// process, from the working directory to the VM's teardown.
#pragma once

#include <jni.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "launcher/VmLibrary.h"

class Properties;

// Called with the exit code when the Java program ends the process itself (System.exit), just
// before the process ends.
using VmExitHook = void(JNICALL*)(jint exitCode);

// The exit hook of every later launch; null (the default) gives the VM none.
void setVmExitHook(VmExitHook hook);

// The VM's init arguments: JNI 1.2, unrecognised options refused, one UTF-8 copy of each option,
// then the VM's "exit" option when there is an exit hook. Owns the copies; the VM may keep no
// pointer into them once JNI_CreateJavaVM has returned.
class VmInitArgs {
public:
    explicit VmInitArgs(const std::vector<std::wstring>& options, VmExitHook exitHook = nullptr);
    VmInitArgs(const VmInitArgs&) = delete;
    VmInitArgs& operator=(const VmInitArgs&) = delete;

    // The arguments for JNI_CreateJavaVM; they point into this object.
    JavaVMInitArgs* get() { return &m_args; }

private:
    std::vector<std::string> m_texts;
    std::vector<JavaVMOption> m_options;
    JavaVMInitArgs m_args{};
};

// Launches the Java program of one configuration, once per process, and serves the console trap
// while it runs.
class JVMLauncher {
public:
    // Registers the new launcher as `currentLauncher`; `properties` must outlive it.
    explicit JVMLauncher(Properties& properties);
    virtual ~JVMLauncher();
    JVMLauncher(const JVMLauncher&) = delete;
    JVMLauncher& operator=(const JVMLauncher&) = delete;

    // Runs the Java program's main method in a new VM and returns once main has returned and the
    // VM has been torn down. Every failure ends the process through the error report.
    void launch();

    // The init arguments for the configured options, after the class path and library path have
    // been merged into them. Failures end the process through the error report.
    VmInitArgs buildInitArgs();

    // Calls the main class's static initiateExit(0) on the calling thread (attached for the call)
    // while the VM runs; does nothing before the VM exists or once it has been torn down. Never
    // fails outward: a missing class or method leaves only its description on the VM's error stream.
    void callInitiateExit();

private:
    void runLaunchSteps();
    void changeToWorkingDirectory();
    void writeDebugLines();
    void showSplashScreen();
    void createJavaVm(const VmLibrary& vmLibrary);
    jclass findMainClass();
    jmethodID findMainMethod(jclass mainClass);
    jobjectArray buildJavaArguments();
    void installConsoleTrap();
    void callMain(jclass mainClass, jmethodID main, jobjectArray arguments);
    void tearDown(const VmLibrary& vmLibrary);
    void attachAndCallInitiateExit();
    void callInitiateExitWith(JNIEnv* env);

    Properties& m_properties;
    JavaVM* m_javaVm = nullptr;
    JNIEnv* m_env = nullptr;  // the VM main thread's
    std::atomic<bool> m_vmAlive{false};
    std::atomic<int> m_consoleCallsInside{0};
};

// The one launcher of the process, for the console handler; null while there is none.
extern std::atomic<JVMLauncher*> currentLauncher;

// The stack size for the thread that becomes the VM's main thread: the last "-Xss<n>[k|m|g]"
// among `options` (a number of bytes, kilobytes, megabytes or gigabytes), 8 MiB when there is
// none. Malformed or zero sizes are skipped.
std::size_t vmMainThreadStackBytes(const std::vector<std::wstring>& options);
