// Path conventions of the operating system: the data in which Windows and Linux differ.
#pragma once

namespace platform {

// Separates the folders of a path: '\' on Windows, '/' on Linux.
extern const wchar_t kPathSeparator;

// Every character that separates folders in a path the system accepts: '\' and '/' on Windows,
// '/' on Linux.
extern const wchar_t* const kPathSeparators;

// Whether a path may start with a drive, "C:" (Windows), which makes it anything but relative.
extern const bool kPathsHaveDrives;

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

// Folders below a Java home, after the one the home's kind names, that may hold the VM types: a
// Java 9+ development kit's "bin" on Windows; on Linux the "lib/<arch>" of a Java 8 runtime and
// the "jre/lib/<arch>" of a Java 8 development kit. The list ends with a null entry.
extern const wchar_t* const kOtherVmTypesFolders[];

// File name of the Java compiler inside a home's "bin" folder: a development kit has one.
extern const wchar_t* const kJavacName;

// File name of the Java runtime's own launcher inside a home's "bin" folder.
extern const wchar_t* const kJavaProgramName;

// File name of the VM library inside a VM type folder ("jvm.dll", "libjvm.so").
extern const wchar_t* const kVmLibraryName;

// File name of the splash-screen library inside the VM types folder.
extern const wchar_t* const kSplashLibraryName;

// Whether the splash-screen library links against the VM library, which then has to be loaded
// first: true on Linux; on Windows the splash shows before the VM library loads.
extern const bool kSplashLibraryNeedsVmLibrary;

// The VM's C runtime libraries, tried in order inside the VM types folder until one loads; the
// list ends with a null entry. Empty on Linux, where the VM brings none of its own.
extern const wchar_t* const kVmRuntimeLibraryNames[];

// The C and C++ runtime libraries that a modern VM imports, all loaded from the VM types folder
// where present, C runtime first; the list ends with a null entry. Empty on Linux.
extern const wchar_t* const kVmSupportLibraryNames[];

// A folder where installers and archives put Java homes: each subfolder whose name starts with
// `namePrefix` of the environment variable `variable`'s value (none: the root) joined with `path`.
struct JavaInstallFolder {
    const wchar_t* variable;
    const wchar_t* path;
    const wchar_t* namePrefix;
};

// The install folders, searched in order; the list ends with an entry whose `path` is null.
extern const JavaInstallFolder kJavaInstallFolders[];

// The places the search for installed Javas reads, for a message that names them.
extern const wchar_t* const kJavaSearchPlaces;

// A place where a user's caches live: the folder an environment variable names, and the paths
// that lead from it to an application's cache folder (`<value><below><separator><application><inside>`).
struct UserCacheRoot {
    const wchar_t* variable;
    const wchar_t* below;
    const wchar_t* inside;
};

// The places for a user's caches, tried in order until one's variable is set; the list ends
// with a null variable. "%LOCALAPPDATA%\<application>\cache" on Windows, else (a service's
// account may have no profile) "%ProgramData%\<application>\cache";
// "$XDG_CACHE_HOME/<application>", else "$HOME/.cache/<application>" on Linux.
extern const UserCacheRoot kUserCacheRoots[];

}  // namespace platform
