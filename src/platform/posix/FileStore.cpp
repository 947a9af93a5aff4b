// Keeping files of one's own on Linux: stat, read, mkdir, exclusive open, fsync, link, rename and
// statvfs.
#include "platform/FileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/TextEncoding.h"
#include "platform/posix/Posix.h"

namespace platform {

namespace {

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::optional<FileStamp> fileStamp(const std::wstring& path) {
    struct stat status;
    if (stat(toUtf8(path).c_str(), &status) != 0) return std::nullopt;
    const std::int64_t modified = std::int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec;
    return FileStamp{static_cast<std::uint64_t>(status.st_size), modified};
}

std::optional<std::uint64_t> secondsSinceWritten(const std::wstring& path) {
    struct stat status;
    if (stat(toUtf8(path).c_str(), &status) != 0) return std::nullopt;
    const std::time_t now = std::time(nullptr);
    return now > status.st_mtime ? static_cast<std::uint64_t>(now - status.st_mtime) : 0;
}

std::optional<std::string> readFileStart(const std::wstring& path, std::size_t count) {
    const posix::FileDescriptor file(open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t read = ::read(file.get(), &bytes[filled], count - filled);
        if (read == 0) break;
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return std::nullopt;
        filled += static_cast<std::size_t>(read);
    }
    bytes.resize(filled);
    return bytes;
}

bool createDirectories(const std::wstring& path) {
    const std::string folder = toUtf8(path);
    struct stat status;
    if (stat(folder.c_str(), &status) == 0) return S_ISDIR(status.st_mode);
    const std::size_t separator = folder.find_last_of('/');
    if (separator != std::string::npos && separator > 0) createDirectories(fromUtf8(folder.substr(0, separator)));
    // Another process may create it meanwhile.
    return mkdir(folder.c_str(), 0777) == 0 || (errno == EEXIST && stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode));
}

bool createNewFile(const std::wstring& path) {
    return posix::FileDescriptor(open(toUtf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)).valid();
}

bool appendBytesToFile(const std::wstring& path, const std::string& bytes) {
    const int file = open(toUtf8(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) return false;
    const bool written = posix::writeAll(file, bytes.data(), bytes.size());
    close(file);
    return written;
}

bool removeFile(const std::wstring& path) {
    return unlink(toUtf8(path).c_str()) == 0;
}

bool renameWithoutReplacing(const std::wstring& from, const std::wstring& to) {
    // A hard link fails when `to` exists, where rename would replace it.
    const std::string source = toUtf8(from);
    if (link(source.c_str(), toUtf8(to).c_str()) != 0) return false;
    unlink(source.c_str());
    return true;
}

std::optional<std::uint64_t> freeBytes(const std::wstring& directory) {
    struct statvfs volume;
    if (statvfs(toUtf8(directory).c_str(), &volume) != 0) return std::nullopt;
    return std::uint64_t{volume.f_bavail} * volume.f_frsize;
}

bool writeNewFile(const std::wstring& path, std::string_view bytes) {
    const std::string name = toUtf8(path);
    bool written;
    {
        const posix::FileDescriptor file(open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755));
        if (!file.valid()) return false;
        written = writeAll(file.get(), bytes) && fsync(file.get()) == 0;
    }
    if (!written) unlink(name.c_str());
    return written;
}

bool renameReplacing(const std::wstring& from, const std::wstring& to) {
    return std::rename(toUtf8(from).c_str(), toUtf8(to).c_str()) == 0;
}

}  // namespace platform
