// Keeping files of one's own on Windows: file attributes, ReadFile, CreateDirectoryW, CREATE_NEW,
// WriteFile with FlushFileBuffers, MoveFileExW and GetDiskFreeSpaceExW.
#include "platform/FileStore.h"

#include "platform/win32/Win32.h"

namespace platform {

namespace {

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        // WriteFile takes at most a DWORD's worth at a time.
        const DWORD chunk = static_cast<DWORD>(bytes.size() < 0x40000000 ? bytes.size() : 0x40000000);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::optional<FileStamp> fileStamp(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    const std::uint64_t modified = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    return FileStamp{size, static_cast<std::int64_t>(modified)};
}

std::optional<std::uint64_t> secondsSinceWritten(const std::wstring& path) {
    const std::optional<FileStamp> stamp = fileStamp(path);
    if (!stamp) return std::nullopt;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto nowUnits = static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
    constexpr std::int64_t kUnitsPerSecond = 10000000;  // FILETIME counts 100 ns
    return nowUnits > stamp->modified ? static_cast<std::uint64_t>((nowUnits - stamp->modified) / kUnitsPerSecond) : 0;
}

std::optional<std::string> readFileStart(const std::wstring& path, std::size_t count) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const win32::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    DWORD read = 0;
    while (filled < count && ReadFile(file.get(), &bytes[filled], static_cast<DWORD>(count - filled), &read, nullptr) && read > 0) {
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

bool createDirectories(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t separator = path.find_last_of(L"\\/");
    // A drive root ("C:\") or a share exists or not; it cannot be created.
    if (separator != std::wstring::npos && separator > 2) createDirectories(path.substr(0, separator));
    // Another process may create it meanwhile.
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool createNewFile(const std::wstring& path) {
    return win32::FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)).valid();
}

bool appendBytesToFile(const std::wstring& path, const std::string& bytes) {
    const win32::FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool removeFile(const std::wstring& path) {
    // The Java VM writes its class-data archives read-only, and DeleteFileW refuses such files.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

bool renameWithoutReplacing(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), 0) != FALSE;
}

std::optional<std::uint64_t> freeBytes(const std::wstring& directory) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(directory.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

bool writeNewFile(const std::wstring& path, std::string_view bytes) {
    bool written;
    {
        const win32::FileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return false;
        written = writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
    }
    if (!written) DeleteFileW(path.c_str());
    return written;
}

bool renameReplacing(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace platform
