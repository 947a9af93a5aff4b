// VM options in the VM's code page: the whole option where it fits, else short names for its paths.
#include "launcher/vm/VmOptionText.h"

#include "platform/CodePage.h"
#include "platform/PathConventions.h"
#include "util/Files.h"
#include "util/Text.h"

namespace {

const std::wstring kPropertyPrefix = L"-D";

// The properties whose values are lists of paths, which the VM splits itself.
bool isPathListProperty(const std::wstring& name) {
    return name == L"java.class.path" || name == L"java.library.path";
}

// `path` with its longest leading part that has a short name replaced by that name, the names
// after it kept as they are (a missing file, a "*" of a folder's jars); empty when no leading part
// has one.
std::optional<std::wstring> shortenedPath(const std::wstring& path, const VmTextEncoding& encoding) {
    std::size_t end = path.size();
    while (end != std::wstring::npos && end > 0) {
        if (const std::optional<std::wstring> shortPart = encoding.shortPath(path.substr(0, end))) return *shortPart + path.substr(end);
        end = path.find_last_of(platform::kPathSeparators, end - 1);
    }
    return std::nullopt;
}

// One entry of a path list in the VM's code page: as it is, else shortened (`shortenedPath`).
std::optional<std::string> encodePathEntry(const std::wstring& entry, const VmTextEncoding& encoding) {
    if (std::optional<std::string> encoded = encoding.encode(entry)) return encoded;
    const std::optional<std::wstring> shortened = shortenedPath(entry, encoding);
    return shortened ? encoding.encode(*shortened) : std::nullopt;
}

// Each entry of the path list `list` as `encodePathEntry` makes it, empty entries kept. An entry
// that does not fit and does not exist (it has no short name of its own) is left out, added to
// `leftOut`: the VM would pass over it anyway. Empty when an existing entry does not fit.
std::optional<std::string> encodePathList(const std::wstring& list, const VmTextEncoding& encoding, std::vector<std::wstring>& leftOut) {
    std::string encoded;
    bool first = true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(platform::kPathListSeparator, start);
        const std::wstring entry = list.substr(start, end - start);
        std::optional<std::string> encodedEntry = entry.empty() ? std::string() : encodePathEntry(entry, encoding);
        if (!encodedEntry && encoding.shortPath(entry)) return std::nullopt;
        if (encodedEntry) {
            if (!first) encoded += static_cast<char>(platform::kPathListSeparator);
            encoded += *encodedEntry;
            first = false;
        } else {
            leftOut.push_back(entry);
        }
        if (end == std::wstring::npos) return encoded;
        start = end + 1;
    }
}

// The value of the property option `property` in the VM's code page: a path list entry by entry,
// an absolute path of an existing file or folder as its short name, any other text as it is.
std::optional<std::string> encodePropertyValue(const SystemProperty& property, const VmTextEncoding& encoding,
                                               std::vector<std::wstring>& leftOut) {
    if (isPathListProperty(property.name)) return encodePathList(property.value, encoding, leftOut);
    // A relative name would turn a text such as a title into the short name of a folder that
    // happens to bear it in the working directory.
    if (isRelativePath(property.value)) return encoding.encode(property.value);
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

std::optional<std::string> encodeOption(const std::wstring& option, const VmTextEncoding& encoding, std::vector<std::wstring>* leftOut) {
    if (std::optional<std::string> encoded = encoding.encode(option)) return encoded;
    const std::optional<SystemProperty> property = systemPropertyOf(option);
    if (!property) return std::nullopt;
    const std::optional<std::string> prefix = encoding.encode(kPropertyPrefix + property->name + L"=");
    std::vector<std::wstring> entriesLeftOut;
    const std::optional<std::string> value = encodePropertyValue(*property, encoding, entriesLeftOut);
    if (!prefix || !value) return std::nullopt;
    if (leftOut) leftOut->insert(leftOut->end(), entriesLeftOut.begin(), entriesLeftOut.end());
    return *prefix + *value;
}

bool isReadWhileVmStarts(const std::wstring& name) {
    // The VM reads these itself, or its first Java classes read them into fields of their own
    // (java.lang.System's initialisation, jdk.internal.util.StaticProperty), before any program
    // code could set them.
    static const wchar_t* const kNames[] = {
        L"java.class.path", L"java.library.path", L"java.system.class.loader", L"java.security.manager",
        L"java.security.policy", L"java.home", L"sun.boot.library.path", L"sun.boot.class.path",
        L"java.ext.dirs", L"java.endorsed.dirs", L"user.dir", L"user.home", L"user.name", L"java.io.tmpdir",
        L"file.encoding", L"sun.jnu.encoding", L"native.encoding", L"stdout.encoding", L"stderr.encoding",
        L"sun.stdout.encoding", L"sun.stderr.encoding", L"line.separator", L"file.separator", L"path.separator",
        L"java.locale.providers", L"java.protocol.handler.pkgs", L"jdk.serialFilter",
    };
    for (const wchar_t* known : kNames) {
        if (name == known) return true;
    }
    return startsWith(name, L"jdk.module.");
}

std::wstring unencodableOptionMessage(const std::wstring& option, const VmTextEncoding& encoding) {
    return L"Windows cannot pass the option " + option + L" to the Java VM in the system's code page, which lacks the characters \"" +
           unencodableCharacters(option, encoding) + L"\". Please use a folder name without these characters.";
}
