// Where a Java home keeps its VMs: a folder of VM types, one folder per type ("client",
// "server") that holds the VM library.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The VM types folder of a runtime's home, ending in a separator: home + "\bin\" on Windows,
// home + "/lib/" on Linux.
std::wstring runtimeVmTypesFolder(const std::wstring& javaHome);

// The VM types folder of a development kit's home, ending in a separator: home + "\jre\bin\" on
// Windows; on Linux a kit keeps its VM types where a runtime does.
std::wstring sdkVmTypesFolder(const std::wstring& javaHome);

// The VM library of VM type `type` inside `vmTypesFolder`, which ends in a separator.
std::wstring vmLibraryPath(const std::wstring& vmTypesFolder, const std::wstring& type);

// The VM types folders of a home of the bundle `bundle` ("sdk" or "jre"), in the order they are
// searched: the one the bundle names, then the layouts of other Java generations (a Java 9+
// development kit's bin folder on Windows; lib/<arch> and jre/lib/<arch> of a Java 8 on Linux).
std::vector<std::wstring> vmTypesFolderChoices(const std::wstring& javaHome, const std::wstring& bundle);

// The first of `vmTypesFolderChoices` that holds a client or a server VM; empty when none does.
std::optional<std::wstring> findVmTypesFolder(const std::wstring& javaHome, const std::wstring& bundle);

// Whether `folder` looks like a Java home: it holds a release file or a client or server VM.
bool looksLikeJavaHome(const std::wstring& folder);
