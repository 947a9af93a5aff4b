// Loading libraries on Windows.
#include "platform/DynamicLibrary.h"

#include "platform/win32/Win32.h"

namespace platform {
namespace {

HMODULE toModule(Library* library) {
    return reinterpret_cast<HMODULE>(library);
}

// `path` made absolute against the current directory; empty when it cannot be.
std::wstring fullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    return full;
}

// The system's text for the error `code`, without its line end; empty when it has none.
std::wstring errorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

}  // namespace

Library* loadLibrary(const std::wstring& path, LoadFailure* failure) {
    // LoadLibraryW would look a relative name up along the DLL search path (the executable's
    // folder, the system folders, PATH); the full path pins it to the current directory.
    const std::wstring full = fullPath(path);
    HMODULE module = full.empty() ? nullptr : LoadLibraryW(full.c_str());
    if (module == nullptr && failure != nullptr) {
        const DWORD code = full.empty() ? ERROR_INVALID_NAME : GetLastError();
        *failure = LoadFailure{code, errorText(code)};
    }
    return reinterpret_cast<Library*>(module);
}

void setLibrarySearchFolder(const std::wstring& folder) {
    SetDllDirectoryW(folder.c_str());
}

void* librarySymbol(Library* library, const char* name) {
    // GetProcAddress on a null module would search the executable itself.
    if (library == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(toModule(library), name));
}

void freeLibrary(Library* library) {
    if (library != nullptr) FreeLibrary(toModule(library));
}

}  // namespace platform
