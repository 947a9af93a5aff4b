// Where a Java home keeps its VMs: a folder of VM types, one folder per type ("client",
// "server") that holds the VM library.
#pragma once

#include <string>

// The VM types folder of a runtime's home, ending in a separator: home + "\bin\" on Windows,
// home + "/lib/" on Linux.
std::wstring runtimeVmTypesFolder(const std::wstring& javaHome);

// The VM types folder of a development kit's home, ending in a separator: home + "\jre\bin\" on
// Windows; on Linux a kit keeps its VM types where a runtime does.
std::wstring sdkVmTypesFolder(const std::wstring& javaHome);

// The VM library of VM type `type` inside `vmTypesFolder`, which ends in a separator.
std::wstring vmLibraryPath(const std::wstring& vmTypesFolder, const std::wstring& type);
