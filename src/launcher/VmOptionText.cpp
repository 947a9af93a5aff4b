// VM options in the VM's code page: the whole option where it fits, else short names for its paths.
#include "launcher/VmOptionText.h"

#include "platform/CodePage.h"
#include "platform/PathConventions.h"
#include "util/Text.h"

namespace {

const std::wstring kPropertyPrefix = L"-D";

// The properties whose values are lists of paths, which the VM splits itself.
bool isPathListProperty(const std::wstring& name) {
    return name == L"java.class.path" || name == L"java.library.path";
}

// Each entry of the path list `list` as `encodeFileName` makes it, empty entries kept; empty when
// one entry does not fit.
std::optional<std::string> encodePathList(const std::wstring& list, const VmTextEncoding& encoding) {
    std::string encoded;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(platform::kPathListSeparator, start);
        const std::wstring entry = list.substr(start, end - start);
        const std::optional<std::string> encodedEntry = entry.empty() ? std::string() : encodeFileName(entry, encoding);
        if (!encodedEntry) return std::nullopt;
        encoded += *encodedEntry;
        if (end == std::wstring::npos) return encoded;
        encoded += static_cast<char>(platform::kPathListSeparator);
        start = end + 1;
    }
}

// The value of the property option `property` in the VM's code page, or in the fallbacks for paths.
std::optional<std::string> encodePropertyValue(const SystemProperty& property, const VmTextEncoding& encoding) {
    if (isPathListProperty(property.name)) return encodePathList(property.value, encoding);
    return encodeFileName(property.value, encoding);
}

bool isHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// The characters of `text` that the VM's code page lacks, each once, in their first order.
std::wstring unencodableCharacters(const std::wstring& text, const VmTextEncoding& encoding) {
    std::wstring missing;
    for (std::size_t at = 0; at < text.size();) {
        // A surrogate pair (wide text is UTF-16 on Windows) is one character.
        const std::size_t length = isHighSurrogate(text[at]) && at + 1 < text.size() ? 2 : 1;
        const std::wstring character = text.substr(at, length);
        if (!encoding.encode(character) && missing.find(character) == std::wstring::npos) missing += character;
        at += length;
    }
    return missing;
}

}  // namespace

VmTextEncoding systemVmTextEncoding() {
    const unsigned codePage = platform::vmCodePage();
    return {[codePage](const std::wstring& text) { return platform::toCodePage(text, codePage); }, platform::shortPathName};
}

std::optional<SystemProperty> systemPropertyOf(const std::wstring& option) {
    if (!startsWith(option, kPropertyPrefix)) return std::nullopt;
    const std::size_t equals = option.find(L'=');
    if (equals == std::wstring::npos) return SystemProperty{option.substr(kPropertyPrefix.size()), L""};
    return SystemProperty{option.substr(kPropertyPrefix.size(), equals - kPropertyPrefix.size()), option.substr(equals + 1)};
}

std::optional<std::string> encodeFileName(const std::wstring& path, const VmTextEncoding& encoding) {
    if (std::optional<std::string> encoded = encoding.encode(path)) return encoded;
    const std::optional<std::wstring> shortPath = encoding.shortPath(path);
    if (!shortPath) return std::nullopt;
    return encoding.encode(*shortPath);
}

std::optional<std::string> encodeOption(const std::wstring& option, const VmTextEncoding& encoding) {
    if (std::optional<std::string> encoded = encoding.encode(option)) return encoded;
    const std::optional<SystemProperty> property = systemPropertyOf(option);
    if (!property) return std::nullopt;
    const std::optional<std::string> prefix = encoding.encode(kPropertyPrefix + property->name + L"=");
    const std::optional<std::string> value = encodePropertyValue(*property, encoding);
    if (!prefix || !value) return std::nullopt;
    return *prefix + *value;
}

std::wstring unencodableOptionMessage(const std::wstring& option, const VmTextEncoding& encoding) {
    return L"Windows cannot pass the option " + option + L" to the Java VM in the system's code page, which lacks the characters \"" +
           unencodableCharacters(option, encoding) + L"\". Please use a folder name without these characters.";
}
