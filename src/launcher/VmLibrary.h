// The chosen Java VM's libraries: the VM library with its one entry point, the VM's C runtime
// library and its splash-screen library, each resolved once.
#pragma once

#include <jni.h>

#include <optional>
#include <string>

namespace platform {
struct Library;
}

// The loaded VM library and its invocation entry point.
struct VmLibrary {
    using CreateJavaVm = jint(JNICALL*)(JavaVM** vm, void** env, void* initArgs);

    platform::Library* library = nullptr;
    CreateJavaVm createJavaVm = nullptr;
};

// Loads the VM library at `path` and resolves JNI_CreateJavaVM. Throws a LaunchError naming the
// path when the library does not load or lacks the entry point.
VmLibrary loadVmLibrary(const std::wstring& path);

// Loads the first of the VM's C runtime libraries (in the VM types folder of `javaHome`) that
// loads; none loading is no failure. The library stays loaded for the life of the process.
void loadVmRuntimeLibrary(const std::wstring& javaHome);

// The splash-screen library's entry points.
struct SplashLibrary {
    void (*init)();
    int (*loadFile)(const char* fileName);
    void (*setFileJarName)(const char* fileName, const char* jarName);
};

// Loads the splash-screen library of `javaHome`; empty when it does not load or lacks one of its
// entry points. A library in use stays loaded for the life of the process.
std::optional<SplashLibrary> loadSplashLibrary(const std::wstring& javaHome);
