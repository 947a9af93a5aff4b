// Private folders on Linux: lstat, the owner and mode of a folder and of those above it, mkdir 0700.
#include "platform/PrivateFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <memory>

#include "platform/TextEncoding.h"

namespace platform {
namespace {

// Whether a folder of this `status` lets another account change its entries: it belongs to
// someone other than this account and root, or its mode lets its group or everyone write
// without the sticky bit, which limits removal and renaming to an entry's owner.
bool othersCanChange(const struct stat& status) {
    const bool ownedByUs = status.st_uid == geteuid() || status.st_uid == 0;
    const bool othersWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return !ownedByUs || (othersWrite && (status.st_mode & S_ISVTX) == 0);
}

// The folder's path with every link resolved; empty when it cannot be resolved.
std::optional<std::string> realPath(const std::string& folder) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(folder.c_str(), nullptr), &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

// The first folder above `folder` (links resolved) through which another account could swap the
// folder for one of its own; empty when there is none.
std::optional<std::string> changeableFolderAbove(const std::string& folder) {
    std::optional<std::string> path = realPath(folder);
    if (!path) return folder;
    while (path->size() > 1) {
        path->erase(std::max<std::size_t>(path->find_last_of('/'), 1));
        struct stat status;
        if (stat(path->c_str(), &status) != 0 || othersCanChange(status)) return path;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> whyNotPrivate(const std::wstring& folder) {
    const std::string path = toUtf8(folder);
    struct stat status;
    if (lstat(path.c_str(), &status) != 0) return std::wstring(L"it cannot be read");
    if (S_ISLNK(status.st_mode)) return std::wstring(L"it is a symbolic link");
    if (!S_ISDIR(status.st_mode)) return std::wstring(L"it is no folder");
    if (status.st_uid != geteuid()) return std::wstring(L"another account owns it");
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return std::wstring(L"other accounts can write to it");
    if (const std::optional<std::string> above = changeableFolderAbove(path)) {
        return L"other accounts can change the folder above it, " + fromUtf8(*above);
    }
    return std::nullopt;
}

bool createPrivateDirectories(const std::wstring& folder) {
    const std::string path = toUtf8(folder);
    struct stat status;
    if (lstat(path.c_str(), &status) == 0) return true;
    const std::size_t separator = path.find_last_of('/');
    if (separator != std::string::npos) {
        const std::string parent = separator == 0 ? "/" : path.substr(0, separator);
        if (separator > 0) createPrivateDirectories(fromUtf8(parent));
        // Nothing is made where another account could add or swap entries: such a folder is no
        // place for the launcher's files, even before they exist.
        if (stat(parent.c_str(), &status) != 0 || othersCanChange(status)) return false;
    }
    // The mode is given in full, whatever the umask, and another process may create it meanwhile.
    if (mkdir(path.c_str(), 0700) != 0) return errno == EEXIST;
    return chmod(path.c_str(), 0700) == 0;
}

}  // namespace platform
