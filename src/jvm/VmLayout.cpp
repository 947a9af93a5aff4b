// Paths of the VM types folders and VM libraries inside a Java home.
#include "jvm/VmLayout.h"

#include "platform/PathConventions.h"

namespace {

// Separator + `folder`, or nothing for an empty folder name (so that no separator is doubled).
std::wstring folderStep(const wchar_t* folder) {
    if (*folder == L'\0') return {};
    return platform::kPathSeparator + std::wstring(folder);
}

}  // namespace

std::wstring runtimeVmTypesFolder(const std::wstring& javaHome) {
    return javaHome + folderStep(platform::kVmTypesFolder) + platform::kPathSeparator;
}

std::wstring sdkVmTypesFolder(const std::wstring& javaHome) {
    return runtimeVmTypesFolder(javaHome + folderStep(platform::kSdkRuntimeFolder));
}

std::wstring vmLibraryPath(const std::wstring& vmTypesFolder, const std::wstring& type) {
    return vmTypesFolder + type + platform::kPathSeparator + platform::kVmLibraryName;
}
