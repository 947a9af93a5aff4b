// The running process on Windows.
#include "platform/Process.h"

#include <algorithm>

#include "platform/win32/Win32.h"

namespace platform {

std::wstring executablePath() {
    // The manifest declares long paths, so the path may exceed MAX_PATH. A path that does not fit
    // is cut to the buffer's size less one and that size is returned: the buffer grows until the
    // path fits (a length below the buffer's size).
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const auto size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring operatingSystemBitness() {
    if constexpr (sizeof(void*) == 8) return L"64";
    // A 32-bit program learns of a 64-bit system only from the WOW64 layer. The function is
    // looked up at run time since the oldest systems lack it.
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = win32::procedureAddress<IsWow64ProcessFunction>(GetModuleHandleW(L"kernel32"), "IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64) return L"64";
    return L"32";
}

std::optional<std::wstring> environmentVariable(const std::wstring& name) {
    // The size includes the terminator; it is asked again when the value grew in between.
    DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    while (size != 0) {
        std::wstring value(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), size);
        if (length < size) {
            value.resize(length);
            return value;
        }
        size = length;
    }
    return std::nullopt;
}

std::uint32_t processId() {
    return GetCurrentProcessId();
}

std::optional<int> runAsVmMainThread(std::size_t, const std::function<int()>& body) {
    // The primary thread's stack is set by the executable's header, large enough for the VM.
    return body();
}

}  // namespace platform
