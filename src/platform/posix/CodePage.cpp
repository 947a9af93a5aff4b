// Narrow text on Linux: UTF-8, which holds every character; no short names.
#include "platform/CodePage.h"

#include "platform/TextEncoding.h"

namespace platform {

unsigned vmCodePage() {
    return kUtf8CodePage;
}

std::optional<std::string> toCodePage(const std::wstring& text, unsigned) {
    return toUtf8(text);
}

std::optional<std::wstring> shortPathName(const std::wstring&) {
    return std::nullopt;
}

}  // namespace platform
