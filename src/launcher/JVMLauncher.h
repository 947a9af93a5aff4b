// The Java VM launch: a fully loaded configuration becomes a running Java program inside this
// process, from the working directory to the VM's teardown.
#pragma once

#include <jni.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "launcher/vm/VmInitArgs.h"
#include "launcher/vm/VmLibrary.h"

class Properties;

// The exit hook of every later launch; null (the default) gives the VM none.
void setVmExitHook(VmExitHook hook);

// Asked once the VM exists, just before main is called: false skips main (the VM is then torn down
// as after main). Null (the default) always calls main.
using MainGate = bool (*)();
void setMainGate(MainGate gate);

// What a console event thread needs to call into the VM without its launcher.
struct VmCall {
    JavaVM* javaVm;
    std::string mainClass;  // in slash form, UTF-8
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
    // been merged into them and the startup cache's options added. Failures end the process
    // through the error report.
    VmInitArgs buildInitArgs();

    // Calls the main class's static initiateExit(0) in the VM of `currentLauncher` on the calling
    // thread (attached for the call) while that VM runs; does nothing when there is no launcher,
    // before its VM exists or once it has been torn down. A launcher's destructor waits until no
    // call still uses it. Never fails outward: a missing class or method leaves only its
    // description on the VM's error stream.
    static void callInitiateExit();

private:
    void runLaunchSteps();
    void changeToWorkingDirectory();
    void writeDebugLines();
    VmLibrary loadVmLibraryAndShowSplashScreen();
    void showSplashScreen();
    void createJavaVm(const VmLibrary& vmLibrary);
    jclass findMainClass();
    jmethodID findMainMethod(jclass mainClass);
    jobjectArray buildJavaArguments();
    void installConsoleTrap();
    void callMain(jclass mainClass, jmethodID main, jobjectArray arguments);
    void tearDown(const VmLibrary& vmLibrary);
    std::optional<VmCall> enterVmForEvent();

    Properties& m_properties;
    JavaVM* m_javaVm = nullptr;
    JNIEnv* m_env = nullptr;  // the VM main thread's
    std::atomic<bool> m_vmAlive{false};
};

// The one launcher of the process, for the console handler; null while there is none.
extern std::atomic<JVMLauncher*> currentLauncher;

// The stack of the thread that becomes the VM's main thread.
struct VmMainThreadStack {
    std::wstring option;  // the "-Xss" option that sized it; empty for the default size
    std::size_t bytes;
};

// The stack for the VM's main thread: the size of the last "-Xss<n>[k|m|g]" among `options` (a
// number of bytes, kilobytes, megabytes or gigabytes), 8 MiB when there is none, and never less
// than 1 MiB, which the launcher and the VM's start-up need whatever the option says (the VM
// judges the option itself). Malformed or zero sizes are skipped.
VmMainThreadStack vmMainThreadStack(const std::vector<std::wstring>& options);
