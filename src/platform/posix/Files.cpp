// File system services on Linux: glob searches, directory streams, whole-file reads and line
// appends.
#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/TextEncoding.h"
#include "platform/posix/Posix.h"

namespace platform {
namespace {

using posix::FileDescriptor;

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirectoryStream = std::unique_ptr<DIR, DirectoryCloser>;

// `path` as a glob pattern that matches as a Windows search does: only '*' and '?' are wildcards,
// and only in the last component: '[', '\' and the wildcards of folder names stand for themselves,
// so that a search costs one listing, not one per matching folder.
std::string globPattern(const std::wstring& path) {
    const std::string bytes = toUtf8(path);
    const std::size_t lastSlash = bytes.rfind('/');
    const std::size_t lastComponent = lastSlash == std::string::npos ? 0 : lastSlash + 1;
    std::string pattern;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool wildcard = c == '*' || c == '?';
        if (c == '[' || c == '\\' || (wildcard && i < lastComponent)) pattern += '\\';
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

// The UTF-16 code unit upper-cased by the Unicode simple case mapping, as the upper-case table of
// a Windows file system does it. The mapping comes from the C.UTF-8 locale that the C library
// builds in; ASCII letters alone are mapped should it be missing.
char16_t upperCaseUnit(char16_t unit) {
    static const locale_t utf8Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    const wint_t upper = utf8Locale != locale_t{} ? towupper_l(unit, utf8Locale) : towupper(unit);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

// The key by which a Windows file system orders `name`: its UTF-16 code units, upper-cased, which
// are compared ordinally.
std::u16string listingKey(const std::wstring& name) {
    std::u16string key = toUtf16(name);
    for (char16_t& unit : key) unit = upperCaseUnit(unit);
    return key;
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

bool listDirectory(const std::wstring& directory, FunctionRef<void(const DirectoryEntry&)> visit) {
    const DirectoryStream stream(opendir(toUtf8(directory).c_str()));
    if (!stream) return false;
    std::vector<std::pair<std::u16string, DirectoryEntry>> entries;
    while (const dirent* entry = readdir(stream.get())) {
        std::wstring name = fromUtf8(entry->d_name);
        std::u16string key = listingKey(name);
        entries.emplace_back(std::move(key), DirectoryEntry{std::move(name), isDirectory(stream.get(), *entry)});
    }
    // readdir's order differs between file systems and machines; a Windows file system lists names
    // in order. Names that differ only in case, which Windows cannot hold side by side, follow
    // their code points.
    std::sort(entries.begin(), entries.end(), [](const auto& left, const auto& right) {
        return std::tie(left.first, left.second.name) < std::tie(right.first, right.second.name);
    });
    for (const auto& entry : entries) visit(entry.second);
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
