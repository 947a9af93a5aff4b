// Path conventions of the operating system: the data in which Windows and Linux differ.
#pragma once

namespace platform {

// Separates the folders of a path: '\' on Windows, '/' on Linux.
extern const wchar_t kPathSeparator;

// Separates the entries of the class path and the library path: ';' on Windows, ':' on Linux.
extern const wchar_t kPathListSeparator;

// Whether configured paths may be lower-cased without changing what they name (a file system that
// ignores case).
extern const bool kCaseInsensitivePaths;

// The folder of a Java home that holds one folder per VM type ("bin" on Windows, "lib" in a Linux JDK).
extern const wchar_t* const kVmTypesFolder;

// The folder below a development kit's home that holds its runtime: "jre" on Windows; empty on
// Linux, where a development kit keeps its VM types where a runtime does.
extern const wchar_t* const kSdkRuntimeFolder;

// File name of the VM library inside a VM type folder ("jvm.dll", "libjvm.so").
extern const wchar_t* const kVmLibraryName;

// File name of the splash-screen library inside the VM types folder.
extern const wchar_t* const kSplashLibraryName;

// The VM's C runtime libraries, tried in order inside the VM types folder until one loads; the
// list ends with a null entry. Empty on Linux, where the VM brings none of its own.
extern const wchar_t* const kVmRuntimeLibraryNames[];

// A place where a user's caches live: the folder an environment variable names, and the paths
// that lead from it to an application's cache folder (`<value><below><separator><application><inside>`).
struct UserCacheRoot {
    const wchar_t* variable;
    const wchar_t* below;
    const wchar_t* inside;
};

// The places for a user's caches, tried in order until one's variable is set; the list ends
// with a null variable. "%LOCALAPPDATA%\<application>\cache" on Windows;
// "$XDG_CACHE_HOME/<application>", else "$HOME/.cache/<application>" on Linux.
extern const UserCacheRoot kUserCacheRoots[];

}  // namespace platform
