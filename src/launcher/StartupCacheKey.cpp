// What a launch's class-data cache depends on: the VM library, the class path and its files, and
// the options that change class loading.
#include "launcher/StartupCacheKey.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "platform/FileStore.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

const std::wstring kClassPathOption = L"-Djava.class.path=";

// " <size> <time>" of the file or folder at `path`, " missing" when it cannot be read.
std::wstring stampText(const std::wstring& path) {
    const std::optional<platform::FileStamp> stamp = platform::fileStamp(path);
    if (!stamp) return L" missing";
    return L" " + toDecimal(stamp->size) + L" " + toDecimal(static_cast<std::uint64_t>(stamp->modified));
}

// The value of the last class path option; empty when there is none.
std::wstring classPath(const std::vector<std::wstring>& options) {
    std::wstring path;
    for (const std::wstring& option : options) {
        if (startsWith(option, kClassPathOption)) path = option.substr(kClassPathOption.size());
    }
    return path;
}

// The stamps of the jars in `folder` (which ends in a separator), as the VM expands a
// "<folder>/*" class path entry to them. In the listing's order, which changes only when the
// folder does.
std::wstring folderJarStamps(const std::wstring& folder) {
    std::wstring text;
    platform::listDirectory(folder, [&](const platform::DirectoryEntry& entry) {
        if (!entry.isDirectory && endsWith(toLowerAscii(entry.name), L".jar")) text += L" " + entry.name + stampText(folder + entry.name);
    });
    return text;
}

// The entries of a class path, empty ones left out.
std::vector<std::wstring> classPathEntries(const std::wstring& path) {
    std::vector<std::wstring> entries;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(platform::kPathListSeparator, start), path.size());
        if (end > start) entries.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

// Whether `entry` is "*" or ends in a separator and "*": all jars of a folder.
bool isFolderWildcard(const std::wstring& entry) {
    if (!endsWith(entry, L"*")) return false;
    if (entry.size() == 1) return true;
    const wchar_t before = entry[entry.size() - 2];
    return before == platform::kPathSeparator || before == L'/';
}

// One line per class path entry, with the stamp of what it names.
std::wstring classPathStamps(const std::wstring& path) {
    std::wstring text;
    for (const std::wstring& entry : classPathEntries(path)) {
        const std::wstring stamps = isFolderWildcard(entry) ? folderJarStamps(entry.substr(0, entry.size() - 1)) : stampText(entry);
        text += L"entry " + entry + stamps + L"\n";
    }
    return text;
}

// Whether `path` is a folder that holds at least one entry.
bool isFolderWithEntries(const std::wstring& path) {
    bool holdsEntries = false;
    platform::listDirectory(path + platform::kPathSeparator, [&](const platform::DirectoryEntry& entry) {
        if (entry.name != L"." && entry.name != L"..") holdsEntries = true;
    });
    return holdsEntries;
}

bool startsWithAny(const std::wstring& text, std::initializer_list<const wchar_t*> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const wchar_t* prefix) { return startsWith(text, prefix); });
}

}  // namespace

bool choosesOwnClassSharing(const std::wstring& option) {
    if (startsWith(option, L"-Xshare")) return true;
    if (!startsWith(option, L"-XX:")) return false;
    std::wstring name = option.substr(4);
    if (!name.empty() && (name[0] == L'+' || name[0] == L'-')) name.erase(0, 1);
    return startsWithAny(name, {L"SharedArchiveFile", L"ArchiveClassesAtExit", L"AutoCreateSharedArchive", L"AOTCache",
                                L"AOTMode", L"AOTConfiguration"});
}

bool changesClassLoading(const std::wstring& option) {
    return startsWithAny(option, {L"-XX:", L"-Xbootclasspath", L"-Xverify", L"-javaagent:", L"-agentlib:", L"-agentpath:",
                                  L"--", L"-Djava.class.path=", L"-Djdk.module.", L"-Djava.system.class.loader="});
}

std::wstring cacheDependencies(const std::wstring& vmLibrary, const std::vector<std::wstring>& options) {
    std::wstring text = L"vm " + vmLibrary + stampText(vmLibrary) + L"\n";
    for (const std::wstring& option : options) {
        if (changesClassLoading(option)) text += L"option " + option + L"\n";
    }
    return text + classPathStamps(classPath(options));
}

bool classPathCanBeArchived(const std::vector<std::wstring>& options) {
    for (const std::wstring& entry : classPathEntries(classPath(options))) {
        if (!isFolderWildcard(entry) && isFolderWithEntries(entry)) return false;
    }
    return true;
}

std::wstring shortHash(const std::wstring& text) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (const unsigned char byte : toUtf8(text)) {
        hash ^= byte;
        hash *= 0x100000001b3;
    }
    const wchar_t* const digits = L"0123456789abcdef";
    std::wstring hex(16, L'0');
    for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<std::size_t>(i)] = digits[hash & 0xF];
    return hex;
}
