// The one place that includes <windows.h>, and small owners of the system's handles.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <utility>

namespace platform::win32 {

// Owns one handle of the kind `Traits` describes (its type, its "no handle" value, its release)
// and releases it when it goes out of scope.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    explicit UniqueHandle(Handle handle = Traits::none()) : m_handle(handle) {}
    ~UniqueHandle() {
        if (valid()) Traits::release(m_handle);
    }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Traits::none())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    bool valid() const { return m_handle != Traits::none(); }
    Handle get() const { return m_handle; }

private:
    Handle m_handle;
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle none() { return INVALID_HANDLE_VALUE; }
    static void release(Handle handle) { CloseHandle(handle); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle none() { return INVALID_HANDLE_VALUE; }
    static void release(Handle handle) { FindClose(handle); }
};

struct KeyHandleTraits {
    using Handle = HKEY;
    static Handle none() { return nullptr; }
    static void release(Handle handle) { RegCloseKey(handle); }
};

// A file or folder opened with CreateFileW.
using FileHandle = UniqueHandle<FileHandleTraits>;
// A search started with FindFirstFileExW.
using FindHandle = UniqueHandle<FindHandleTraits>;
// A registry key opened with RegOpenKeyExW.
using KeyHandle = UniqueHandle<KeyHandleTraits>;

// The exported function `name` of `module` as a pointer of type `Function`; null when there is
// none. The detour through void (*)() is the one cast between function types that compilers
// accept without a warning.
template <class Function>
Function procedureAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The text that `read(buffer, size)` writes, with a buffer grown until the text fits, for calls
// such as GetModuleFileNameW that cut a text too long for the buffer and then return the buffer's
// size. `read` returns the text's length (without its NUL), 0 on failure, which gives "".
template <class Read>
std::wstring readGrowingText(Read read) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const auto size = static_cast<DWORD>(buffer.size());
        const DWORD length = read(buffer.data(), size);
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace platform::win32
