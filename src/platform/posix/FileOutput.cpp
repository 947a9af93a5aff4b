// Writing a whole file and moving it into place on Linux: exclusive open, write, fsync and rename.
#include "platform/FileOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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
