// File system services on Windows: find-first searches, whole-file reads and line appends.
#include "platform/Files.h"

#include "platform/win32/Win32.h"

namespace platform {
namespace {

using win32::FileHandle;
using win32::FindHandle;

// Starts a search for `pattern`, filling `found` with the first entry. FindExInfoBasic skips the
// short 8.3 names, which nobody here reads.
FindHandle findFirst(const std::wstring& pattern, WIN32_FIND_DATAW& found) {
    return FindHandle(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// One character per byte: U+0000 to U+00FF as that byte, every other character (a surrogate
// pair counting as one) as '?'.
std::string toLatin1(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const bool pairFollows = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pairFollows) ++i;
        bytes += c <= 0xFF ? static_cast<char>(c) : '?';
    }
    return bytes;
}

}  // namespace

bool findsEntry(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    return findFirst(path, found).valid();
}

bool listDirectory(const std::wstring& directory, FunctionRef<void(const DirectoryEntry&)> visit) {
    WIN32_FIND_DATAW found;
    const FindHandle search = findFirst(directory + L"*", found);
    if (!search.valid()) return false;
    do {
        visit(DirectoryEntry{found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search.get(), &found));
    return true;
}

std::optional<FileIdentity> directoryIdentity(const std::wstring& directory) {
    // Backup semantics is what lets CreateFileW open a folder; no access right is needed to read
    // its identity.
    const FileHandle folder(CreateFileW(directory.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (!folder.valid() || !GetFileInformationByHandle(folder.get(), &information)) return std::nullopt;
    const std::uint64_t index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    return FileIdentity{information.dwVolumeSerialNumber, index};
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD count = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
        if (count == 0) return bytes;
        bytes.append(buffer, count);
    }
    return std::nullopt;
}

std::optional<std::string> readFileHead(const std::wstring& path, std::size_t maxBytes) {
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string bytes(maxBytes, '\0');
    DWORD count = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(maxBytes), &count, nullptr)) return std::nullopt;
    bytes.resize(count);
    return bytes;
}

void appendLineToFile(const std::wstring& path, const std::wstring& text) {
    const FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    const std::string line = toLatin1(text) + "\r\n";
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::optional<std::wstring> currentDirectory() {
    wchar_t buffer[MAX_PATH];
    // The length without the terminator when the directory fits, the size it needs otherwise.
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::wstring(buffer, length);
}

bool changeDirectory(const std::wstring& path) {
    return SetCurrentDirectoryW(path.c_str()) != FALSE;
}

}  // namespace platform
