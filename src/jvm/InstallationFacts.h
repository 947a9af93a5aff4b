// Facts about a Java installation read from its own files: the version in its release file,
// whether it is a development kit, and the processor its VM library is built for.
#pragma once

#include <optional>
#include <string>

// The processor families a launcher and a VM library are built for.
enum class Cpu { Unknown, X86, X64, Arm64, Other };

// The processor and the width of a library's code; `bits` is 0 when unknown. A library that
// cannot be read, or whose bytes begin a PE or ELF header that they do not hold (a truncated
// download, a stub), is `damaged`: no VM can load from it.
struct VmMachine {
    Cpu cpu = Cpu::Unknown;
    unsigned bits = 0;
    bool damaged = false;
};

// The machine that the header bytes of a PE (Windows) or ELF (Linux) library name; Unknown when
// the bytes are neither, damaged when they start as one but end before its machine. Any bytes are
// safe: every offset they hold is checked against their size.
VmMachine machineOfLibraryHeader(const std::string& head);

// The machine of the library at `path`, read with one small read; damaged when unreadable.
VmMachine machineOfLibrary(const std::wstring& path);

// The machine this launcher is built for: the only one whose VM libraries it can load.
VmMachine launcherMachine();

// Why a launcher built for `launcher` cannot load a VM library built for `vm` ("VM library damaged
// or unreadable", "a 64-bit VM for this 32-bit launcher", ...); empty when it can, or when the
// library's machine is unknown.
std::optional<std::wstring> machineRefusal(const VmMachine& vm, const VmMachine& launcher);

// The quoted text of the first JAVA_VERSION line of a release file's bytes, as installers write
// them: a UTF-8 byte-order mark, blanks around the line, its "=" and its closing quote, and CR
// before the line end are allowed. Empty when no such line holds a non-empty quoted text.
std::optional<std::wstring> releaseJavaVersion(const std::string& releaseText);

// The version of the Java home `javaHome` by its release file (for a development kit's "jre"
// folder, which has none of its own, the kit's); empty when the file is missing or names no
// JAVA_VERSION.
std::optional<std::wstring> installedJavaVersion(const std::wstring& javaHome);

// Whether the Java home holds a release file, readable or not (a kit's "jre" folder: the kit's).
bool hasReleaseFile(const std::wstring& javaHome);

// Whether the Java home holds a Java compiler (bin/javac), which makes it a development kit.
bool hasJavaCompiler(const std::wstring& javaHome);
