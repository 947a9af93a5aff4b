// File system services on Linux: glob searches, directory streams, whole-file reads and line
// appends.
#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/TextEncoding.h"
#include "platform/posix/Posix.h"

namespace platform {
namespace {

using posix::FileDescriptor;

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirectoryStream = std::unique_ptr<DIR, DirectoryCloser>;

// `path` as a glob pattern in which, as in a Windows search, only '*' and '?' are wildcards:
// '[' and '\' stand for themselves.
std::string globPattern(const std::wstring& path) {
    std::string pattern;
    for (const char c : toUtf8(path)) {
        if (c == '[' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern;
}

// Whether an entry leads to a folder; symbolic links are followed, as a Windows listing reports a
// link to a folder as a folder.
bool isDirectory(DIR* directory, const dirent& entry) {
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
    struct stat status;
    return fstatat(dirfd(directory), entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

bool findsEntry(const std::wstring& path) {
    // A Windows search for a path that ends in a separator finds nothing; glob would find the folder.
    if (path.empty() || path.back() == L'/') return false;
    glob_t matches;
    // GLOB_PERIOD lets wildcards match a leading dot, as a Windows search does.
    const int result = glob(globPattern(path).c_str(), GLOB_NOSORT | GLOB_PERIOD, nullptr, &matches);
    globfree(&matches);
    return result == 0;
}

bool listDirectory(const std::wstring& directory, const std::function<void(const DirectoryEntry&)>& visit) {
    const DirectoryStream stream(opendir(toUtf8(directory).c_str()));
    if (!stream) return false;
    while (const dirent* entry = readdir(stream.get())) {
        visit(DirectoryEntry{fromUtf8(entry->d_name), isDirectory(stream.get(), *entry)});
    }
    return true;
}

std::optional<FileIdentity> directoryIdentity(const std::wstring& directory) {
    struct stat status;
    if (stat(toUtf8(directory).c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
    const FileDescriptor file(open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t count = read(file.get(), buffer, sizeof buffer);
        if (count == 0) return bytes;
        if (count < 0 && errno == EINTR) continue;
        // A folder opens, but reading it fails with EISDIR.
        if (count < 0) return std::nullopt;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

std::optional<std::string> readFileHead(const std::wstring& path, std::size_t maxBytes) {
    const FileDescriptor file(open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    std::string bytes(maxBytes, '\0');
    ssize_t count = 0;
    do {
        count = read(file.get(), bytes.data(), maxBytes);
    } while (count < 0 && errno == EINTR);
    if (count < 0) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(count));
    return bytes;
}

void appendLineToFile(const std::wstring& path, const std::wstring& text) {
    const FileDescriptor file(open(toUtf8(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!file.valid()) return;
    // One write, so that lines that other processes append at the same time do not interleave.
    const std::string line = toUtf8(text) + "\n";
    posix::writeAll(file.get(), line.data(), line.size());
}

std::optional<std::wstring> currentDirectory() {
    const std::unique_ptr<char, decltype(&std::free)> path(getcwd(nullptr, 0), &std::free);
    if (!path) return std::nullopt;
    return fromUtf8(path.get());
}

bool changeDirectory(const std::wstring& path) {
    return chdir(toUtf8(path).c_str()) == 0;
}

}  // namespace platform
