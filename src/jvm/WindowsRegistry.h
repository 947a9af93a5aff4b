// Reads the registry's records of installed Java development kits and runtimes.
#pragma once

#include <string>
#include <vector>

#include "jvm/JVM.h"

class WindowsRegistry {
public:
    virtual ~WindowsRegistry() = default;

    // Appends one candidate ("sdk" or "jre") for every subkey of `keyPath` below HKEY_LOCAL_MACHINE
    // whose "JavaHome" value is not empty: the subkey name is its version, the value its Java home.
    // A key that cannot be opened adds nothing. Reports "Error getting JVM paths from registry."
    // on any failure.
    void addSdkJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const;
    void addJreJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const;

    // The text of the value `valueName` of the key `keyPath` below HKEY_LOCAL_MACHINE; empty when
    // the key or the value cannot be read or the value is longer than 259 characters.
    std::wstring getStringValue(const std::wstring& keyPath, const std::wstring& valueName) const;

private:
    void addJvms(std::vector<JVM>& jvms, const std::wstring& keyPath, const wchar_t* bundle) const;
};
