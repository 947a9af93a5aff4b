// The startup cache's folder: the configured or default place, then the user's, each used only
// when it is private to the launching account.
#include "launcher/cache/StartupCacheFolder.h"

#include <optional>

#include "platform/PathConventions.h"
#include "platform/PrivateFolders.h"
#include "platform/Process.h"
#include "util/Text.h"

std::wstring inFolder(const std::wstring& folder, const std::wstring& name) {
    const bool separated = endsWith(folder, std::wstring(1, platform::kPathSeparator)) || endsWith(folder, L"/");
    return separated ? folder + name : folder + platform::kPathSeparator + name;
}

std::wstring userCacheFolder(const std::wstring& application) {
    for (const platform::UserCacheRoot* root = platform::kUserCacheRoots; root->variable; ++root) {
        const std::optional<std::wstring> value = platform::environmentVariable(root->variable);
        if (value && !value->empty()) return inFolder(*value + root->below, application + root->inside);
    }
    return {};
}

std::vector<std::wstring> cacheFolderCandidates(const std::wstring& configured, const std::wstring& exePath,
                                                const std::wstring& application) {
    std::vector<std::wstring> folders;
    folders.push_back(!configured.empty() ? configured
                                          : exePath.substr(0, exePath.rfind(platform::kPathSeparator) + 1) + application + L".cache");
    const std::wstring user = userCacheFolder(application);
    if (!user.empty() && user != folders.front()) folders.push_back(user);
    return folders;
}

std::wstring privateCacheFolder(const std::vector<std::wstring>& candidates,
                                FunctionRef<void(const std::wstring& folder, const std::wstring& why)> refuse) {
    for (const std::wstring& folder : candidates) {
        if (!platform::createPrivateDirectories(folder)) {
            refuse(folder, L"it cannot be created, or only in a folder that other accounts can change");
            continue;
        }
        const std::optional<std::wstring> why = platform::whyNotPrivate(folder);
        if (!why) return folder;
        refuse(folder, *why);
    }
    return {};
}
