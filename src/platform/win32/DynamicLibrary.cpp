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

}  // namespace

Library* loadLibrary(const std::wstring& path) {
    // LoadLibraryW would look a relative name up along the DLL search path (the executable's
    // folder, the system folders, PATH); the full path pins it to the current directory.
    const std::wstring full = fullPath(path);
    if (full.empty()) return nullptr;
    return reinterpret_cast<Library*>(LoadLibraryW(full.c_str()));
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
