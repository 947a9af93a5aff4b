// Narrow text on Windows: WideCharToMultiByte without best-fit look-alikes, and GetShortPathNameW.
#include "platform/CodePage.h"

#include "platform/win32/Win32.h"

namespace platform {

unsigned vmCodePage() {
    return GetACP();
}

std::optional<std::string> toCodePage(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return std::string();
    // UTF-8 holds every character, and WideCharToMultiByte takes neither the flag nor the check for
    // it; a lone surrogate fails the conversion there instead of becoming a default character.
    const bool utf8 = codePage == kUtf8CodePage;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultCheck = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, text.c_str(), length, nullptr, 0, nullptr, usedDefaultCheck);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text.c_str(), length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::optional<std::wstring> shortPathName(const std::wstring& path) {
    // The size includes the terminator; it is asked again when the path changed in between.
    DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    while (size != 0) {
        std::wstring shortPath(size, L'\0');
        const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), size);
        if (length == 0) return std::nullopt;
        if (length < size) {
            shortPath.resize(length);
            return shortPath;
        }
        size = length;
    }
    return std::nullopt;
}

}  // namespace platform
