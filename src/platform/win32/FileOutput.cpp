// Writing a whole file and moving it into place on Windows: CREATE_NEW, WriteFile, FlushFileBuffers
// and MoveFileExW.
#include "platform/FileOutput.h"

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
