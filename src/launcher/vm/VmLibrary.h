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
// path, with the system's error code and text and a hint for the common codes, when the library
// does not load, and naming the path when it lacks the entry point.
VmLibrary loadVmLibrary(const std::wstring& path);

// The Java home whose runtime libraries serve the VM library `jvmPath` of the Java home
// `javaHome`: that home; for a VM given by its library alone (an empty home), the folder two
// levels above the library when it holds the VM types folder; otherwise empty.
std::wstring vmRuntimeHome(const std::wstring& javaHome, const std::wstring& jvmPath);

// Loads, from the VM types folder of `javaHome`, the first of the VM's old C runtime libraries
// that loads, then every C and C++ runtime library of a modern VM that is there, in order; then
// makes that folder the one searched for the libraries the VM library imports. None loading is
// no failure; an empty home loads nothing. The libraries stay loaded for the life of the process.
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
