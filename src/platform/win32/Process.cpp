// The running process on Windows.
#include "platform/Process.h"

#include "platform/win32/Win32.h"

namespace platform {

std::wstring executablePath() {
    // The manifest declares long paths, so the path may be longer than MAX_PATH.
    return win32::readGrowingText([](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
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

void yieldThread() {
    SwitchToThread();
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

std::optional<int> runAsVmMainThread(std::size_t, FunctionRef<int()> body) {
    // The primary thread's stack is set by the executable's header, large enough for the VM.
    return body();
}

}  // namespace platform
