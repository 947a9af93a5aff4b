// Java homes in the folders of installers and unpacked archives.
#include "jvm/InstallFolders.h"

#include <algorithm>
#include <optional>
#include <string>

#include "jvm/VmLayout.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "util/Text.h"

namespace {

// The folder an install folder entry names, ending in a separator; empty when its variable is
// not set.
std::optional<std::wstring> folderOf(const platform::JavaInstallFolder& folder) {
    std::wstring path;
    if (folder.variable) {
        const std::optional<std::wstring> value = platform::environmentVariable(folder.variable);
        if (!value || value->empty()) return std::nullopt;
        path = *value;
        if (path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
    }
    path += folder.path;
    return path + platform::kPathSeparator;
}

// The names of the subfolders of `folder` that start with `prefix`, in name order.
std::vector<std::wstring> subfolderNames(const std::wstring& folder, const std::wstring& prefix) {
    std::vector<std::wstring> names;
    platform::listDirectory(folder, [&](const platform::DirectoryEntry& entry) {
        if (!entry.isDirectory || entry.name == L"." || entry.name == L"..") return;
        if (!startsWith(entry.name, prefix)) return;
        // Kept in order as they come: a Linux listing has none of its own.
        names.insert(std::upper_bound(names.begin(), names.end(), entry.name), entry.name);
    });
    return names;
}

// The folder's text as the file system tells names apart.
std::wstring folderKey(const std::wstring& folder) {
    return platform::kCaseInsensitivePaths ? toLowerAscii(folder) : folder;
}

}  // namespace

void addInstallFolderJvms(std::vector<JVM>& jvms) {
    std::vector<std::wstring> listed;
    for (const platform::JavaInstallFolder* entry = platform::kJavaInstallFolders; entry->path; ++entry) {
        const std::optional<std::wstring> folder = folderOf(*entry);
        if (!folder || std::find(listed.begin(), listed.end(), folderKey(*folder)) != listed.end()) continue;
        listed.push_back(folderKey(*folder));
        for (const std::wstring& name : subfolderNames(*folder, entry->namePrefix)) {
            const std::wstring javaHome = *folder + name;
            if (!looksLikeJavaHome(javaHome)) continue;
            JVM jvm;
            jvm.setJavaHomePath(javaHome);
            jvms.push_back(std::move(jvm));
        }
    }
}
