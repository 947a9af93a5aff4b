// The registry on Windows: keys below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, read in either
// bitness view.
#include "platform/Registry.h"

#include <algorithm>

#include "platform/win32/Win32.h"

namespace platform {

namespace {

// Names and values read here hold at most this many characters, their terminating NUL included.
constexpr DWORD kBufferChars = 260;

}  // namespace

void setJavaHomeReader(JavaHomeReader) {}

struct RegistryKey::Handle {
    win32::KeyHandle key;
};

RegistryKey::RegistryKey(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, RegistryView view, const std::wstring& path) {
    auto handle = std::make_unique<Handle>();
    HKEY key = nullptr;
    const HKEY rootKey = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    // No view flag reads the program's own view. The flag for the 64-bit view is ignored by a
    // 32-bit Windows, which has one view only.
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const REGSAM access = KEY_READ | (view == RegistryView::Other ? otherView : 0);
    if (RegOpenKeyExW(rootKey, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return std::nullopt;
    handle->key = win32::KeyHandle(key);
    return RegistryKey(std::move(handle));
}

std::optional<std::wstring> RegistryKey::subkeyName(std::uint32_t index) const {
    wchar_t name[kBufferChars];
    DWORD length = kBufferChars;  // in: the buffer's size; out: the name's length
    if (RegEnumKeyExW(m_handle->key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(name, std::min(length, kBufferChars - 1));
}

std::optional<std::wstring> RegistryKey::stringValue(const std::wstring& name) const {
    wchar_t data[kBufferChars];
    DWORD bytes = sizeof(data);
    if (RegQueryValueExW(m_handle->key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Stored text need not end in a NUL: read no further than the data the registry wrote.
    std::wstring text(data, std::min<DWORD>(bytes, sizeof(data)) / sizeof(wchar_t));
    text = text.substr(0, text.find(L'\0'));
    if (text.size() >= kBufferChars) return std::nullopt;  // no room was left for a NUL: too long
    return text;
}

}  // namespace platform
