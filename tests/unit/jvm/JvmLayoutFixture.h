// Fake Java homes for the selection tests: empty files named like the VM library, in the folders
// where a runtime or a development kit keeps them on this system.
#pragma once

#include <string>

#include "platform/PathConventions.h"
#include "support/TempDir.h"

namespace jvmtest {

inline const std::wstring kSeparator(1, platform::kPathSeparator);

// The folder of VM types below `javaHome` for a runtime ("jre") or a development kit ("sdk"),
// ending in a separator.
inline std::wstring vmTypesFolder(const std::wstring& javaHome, const std::wstring& bundle) {
    const bool kitRuntime = bundle == L"sdk" && *platform::kSdkRuntimeFolder != L'\0';
    const std::wstring runtimeHome = kitRuntime ? javaHome + kSeparator + platform::kSdkRuntimeFolder : javaHome;
    return runtimeHome + kSeparator + platform::kVmTypesFolder + kSeparator;
}

// The VM library of `type` below `javaHome` for a runtime or a development kit.
inline std::wstring vmPath(const std::wstring& javaHome, const std::wstring& bundle, const std::wstring& type) {
    return vmTypesFolder(javaHome, bundle) + type + kSeparator + platform::kVmLibraryName;
}

// Creates the VM library of `type` in the home `name` inside `dir`; returns its full path.
inline std::wstring addVm(const TempDir& dir, const std::wstring& name, const std::wstring& bundle, const std::wstring& type) {
    const std::wstring path = vmPath(dir / name, bundle, type);
    dir.writeFile(path.substr(dir.path().size() + 1), "");
    return path;
}

}  // namespace jvmtest
