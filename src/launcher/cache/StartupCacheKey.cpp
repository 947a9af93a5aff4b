// What a launch's class-data cache depends on: the VM library, the class path and its files, and
// the options that change class loading.
#include "launcher/cache/StartupCacheKey.h"

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

// Bytes per unit of a VM size: none, k, m, g or t, in either case; 0 for anything else.
std::uint64_t bytesPerUnit(const std::wstring& unit) {
    const std::wstring units = L"kmgt";
    if (unit.empty()) return 1;
    const std::size_t power = unit.size() == 1 ? units.find(static_cast<wchar_t>(unit[0] | 0x20)) : std::wstring::npos;
    return power == std::wstring::npos ? 0 : std::uint64_t{1} << (10 * (power + 1));
}

// The size an option "<prefix><digits>[unit]" gives; empty for other options and malformed sizes.
std::optional<std::uint64_t> sizeOption(const std::wstring& option, const std::wstring& prefix) {
    if (!startsWith(option, prefix)) return std::nullopt;
    std::uint64_t value = 0;
    std::size_t at = prefix.size();
    for (; at < option.size() && isAsciiDigit(option[at]) && value < (std::uint64_t{1} << 40); ++at) value = value * 10 + (option[at] - L'0');
    const std::uint64_t scale = bytesPerUnit(option.substr(at));
    if (at == prefix.size() || scale == 0) return std::nullopt;
    return value * scale;
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

std::wstring whySharingIsOff(const std::vector<std::wstring>& options) {
    // The last of several opposite options counts, as in the VM.
    std::wstring reason;
    for (const std::wstring& option : options) {
        if (option == L"-Xshare:off") reason = L"-Xshare:off switches class-data sharing off";
        if (option == L"-Xshare:auto" || option == L"-Xshare:on") reason.clear();
        if (option == L"-XX:-UseCompressedClassPointers") reason = L"-XX:-UseCompressedClassPointers leaves the VM without a base archive";
        if (option == L"-XX:+UseCompressedClassPointers") reason.clear();
    }
    return reason;
}

bool withoutCompressedOops(const std::vector<std::wstring>& options, std::uint64_t physicalBytes) {
    // Compressed pointers reach 32 GB of heap at the VM's default object alignment.
    constexpr std::uint64_t kCompressedOopsHeapLimit = std::uint64_t{32} << 30;
    std::uint64_t maxHeap = physicalBytes / 4;
    bool switchedOff = false;
    for (const std::wstring& option : options) {
        if (option == L"-XX:-UseCompressedOops" || option == L"-XX:+UseCompressedOops") switchedOff = option[4] == L'-';
        if (const std::optional<std::uint64_t> heap = sizeOption(option, L"-Xmx")) maxHeap = *heap;
        if (const std::optional<std::uint64_t> heap = sizeOption(option, L"-XX:MaxHeapSize=")) maxHeap = *heap;
    }
    return switchedOff || maxHeap >= kCompressedOopsHeapLimit;
}

std::wstring cacheDependencies(const std::wstring& vmLibrary, const std::vector<std::wstring>& options, bool compressedOops) {
    std::wstring text = L"vm " + vmLibrary + stampText(vmLibrary) + L"\n";
    text += compressedOops ? L"compressed object pointers\n" : L"uncompressed object pointers\n";
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
    return sixteenHexDigits(hash);
}

std::wstring sixteenHexDigits(std::uint64_t value) {
    const wchar_t* const digits = L"0123456789abcdef";
    std::wstring hex(16, L'0');
    for (int i = 15; i >= 0; --i, value >>= 4) hex[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return hex;
}
