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

// Whether a text file (the configuration file) that is valid UTF-8 throughout is read as UTF-8:
// on Linux, whose editors write UTF-8. Any other file, and every file on Windows, is 8-bit text.
extern const bool kTextFilesMayBeUtf8;

// The folder of a Java home that holds one folder per VM type ("bin" on Windows, "lib" in a Linux JDK).
extern const wchar_t* const kVmTypesFolder;

// The folder below a development kit's home that holds its runtime: "jre" on Windows; empty on
// Linux, where a development kit keeps its VM types where a runtime does.
extern const wchar_t* const kSdkRuntimeFolder;

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

}  // namespace platform
