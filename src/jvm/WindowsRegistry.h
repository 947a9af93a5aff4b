// Reads the registry's records of installed Java development kits and runtimes.
#pragma once

#include <string>
#include <vector>

#include "jvm/JVM.h"
#include "platform/Registry.h"

// Where one installer records its Javas: a key with one subkey per installation.
struct RegistryLayout {
    const wchar_t* key;        // the key below the root
    const wchar_t* subPath;    // below an installation's subkey, the key holding the value; "" for the subkey
    const wchar_t* valueName;  // the value holding the Java home
    const wchar_t* bundle;     // "sdk" or "jre"; "" when only the installation tells
    const wchar_t* libraryValueName = nullptr;  // the value naming the VM library itself, if any
};

class WindowsRegistry {
public:
    // A reader of HKEY_LOCAL_MACHINE in the program's own view.
    WindowsRegistry();
    // A reader of `root` in `view`. On Linux, whose registry view lists the Java homes of a folder,
    // this hands the view the reader of their release files and compilers.
    WindowsRegistry(platform::RegistryRoot root, platform::RegistryView view);
    virtual ~WindowsRegistry() = default;

    // Appends one candidate ("sdk" or "jre") for every subkey of `keyPath` whose "JavaHome" value
    // is not empty: the subkey name is its version, the value its Java home. A key that cannot be
    // opened adds nothing. Reports "Error getting JVM paths from registry." on any failure.
    void addSdkJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const;
    void addJreJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const;

    // Appends one candidate for every installation recorded in `layout` whose value is not empty,
    // the same way, with the VM library the layout's library value names, if any.
    void addLayoutJvms(std::vector<JVM>& jvms, const RegistryLayout& layout) const;

    // The text of the value `valueName` of the key `keyPath` below this reader's root; empty when
    // the key or the value cannot be read or the value is longer than 259 characters.
    std::wstring getStringValue(const std::wstring& keyPath, const std::wstring& valueName) const;

private:
    platform::RegistryRoot m_root = platform::RegistryRoot::LocalMachine;
    platform::RegistryView m_view = platform::RegistryView::Own;
};
