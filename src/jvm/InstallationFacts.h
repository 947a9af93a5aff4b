// Facts about a Java installation read from its own files: the version in its release file,
// whether it is a development kit, and the processor its VM library is built for.
#pragma once

#include <optional>
#include <string>

// The processor families a launcher and a VM library are built for.
enum class Cpu { Unknown, X86, X64, Arm64, Other };

// The processor and the width of a library's code; `bits` is 0 when unknown.
struct VmMachine {
    Cpu cpu = Cpu::Unknown;
    unsigned bits = 0;
};

// The machine that the header bytes of a PE (Windows) or ELF (Linux) library name; Unknown when
// the bytes are neither or too short.
VmMachine machineOfLibraryHeader(const std::string& head);

// The machine of the library at `path`, read with one small read; Unknown when unreadable.
VmMachine machineOfLibrary(const std::wstring& path);

// The machine this launcher is built for: the only one whose VM libraries it can load.
VmMachine launcherMachine();

// Why a launcher built for `launcher` cannot load a VM library built for `vm` ("a 64-bit VM for
// this 32-bit launcher", ...); empty when it can, or when the library's machine is unknown.
std::optional<std::wstring> machineRefusal(const VmMachine& vm, const VmMachine& launcher);

// The text of the first line JAVA_VERSION="..." of a release file's bytes; empty when none.
std::optional<std::wstring> releaseJavaVersion(const std::string& releaseText);

// The version of the Java home `javaHome` by its release file; empty when the file is missing or
// names no JAVA_VERSION.
std::optional<std::wstring> installedJavaVersion(const std::wstring& javaHome);

// Whether the Java home holds a release file, readable or not.
bool hasReleaseFile(const std::wstring& javaHome);

// Whether the Java home holds a Java compiler (bin/javac), which makes it a development kit.
bool hasJavaCompiler(const std::wstring& javaHome);
