// Paths of the VM types folders and VM libraries inside a Java home.
#include "jvm/VmLayout.h"

#include "platform/PathConventions.h"
#include "util/Files.h"

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

std::vector<std::wstring> vmTypesFolderChoices(const std::wstring& javaHome, const std::wstring& bundle) {
    const std::wstring named = bundle == L"sdk" ? sdkVmTypesFolder(javaHome) : runtimeVmTypesFolder(javaHome);
    std::vector<std::wstring> folders{named};
    for (const wchar_t* const* folder = platform::kOtherVmTypesFolders; *folder; ++folder) {
        std::wstring path = javaHome + platform::kPathSeparator + *folder + platform::kPathSeparator;
        if (path != named) folders.push_back(std::move(path));
    }
    return folders;
}

std::optional<std::wstring> findVmTypesFolder(const std::wstring& javaHome, const std::wstring& bundle) {
    for (std::wstring& folder : vmTypesFolderChoices(javaHome, bundle)) {
        if (fileExists(vmLibraryPath(folder, L"client")) || fileExists(vmLibraryPath(folder, L"server"))) return folder;
    }
    return std::nullopt;
}

bool looksLikeJavaHome(const std::wstring& folder) {
    return fileExists(folder + platform::kPathSeparator + L"release") || findVmTypesFolder(folder, L"sdk");
}

std::wstring vmLibraryPath(const std::wstring& vmTypesFolder, const std::wstring& type) {
    return vmTypesFolder + type + platform::kPathSeparator + platform::kVmLibraryName;
}
