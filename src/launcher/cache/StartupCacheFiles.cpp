// The startup cache's files: the choice between reading and writing, the leftovers of other
// starts, the publication of finished ahead-of-time caches, and the work at the process's end.
#include "launcher/cache/StartupCacheFiles.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "launcher/cache/StartupCacheFolder.h"
#include "launcher/cache/StartupCacheKey.h"
#include "platform/FileStore.h"
#include "platform/Files.h"
#include "platform/ProcessStart.h"
#include "platform/Randomness.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

// An archive takes tens of megabytes; with less free space than this none is written.
constexpr std::uint64_t kMinimumFreeBytes = std::uint64_t{256} << 20;
constexpr std::size_t kHashDigits = 16;
// A file of another start older than this belongs to no running start (a recording, an assembly
// and a run that writes at exit all end sooner), so it is a leftover.
constexpr std::uint64_t kLeftoverSeconds = 3600;
// The first bytes of every dynamic class-data archive (0xf00baba8) and ahead-of-time cache
// (0xf00baba2), little-endian.
const std::string kDynamicArchiveMagic = "\xa8\xab\x0b\xf0";
const std::string kAotCacheMagic = "\xa2\xab\x0b\xf0";
// What the VM logs when it maps each kind of cache, and what the assembly prints when it is done.
const std::string kDynamicArchiveMapped = "Mapped dynamic region";
const std::string kAotCacheMapped = "Mapped static ";
const std::string kAssemblyComplete = "AOTCache creation is complete";
const wchar_t kRecordingSuffix[] = L".aotconf";
const wchar_t kRefusalSuffix[] = L".refused";
const wchar_t kAssemblyOutputSuffix[] = L".aot.log";
const wchar_t kAssembledSuffix[] = L".aot.part";

std::wstring finalSuffix(CacheKind kind) {
    return kind == CacheKind::DynamicArchive ? L".jsa" : L".aot";
}

bool isOlderThan(const std::wstring& path, std::uint64_t seconds) {
    return platform::secondsSinceWritten(path).value_or(0) > seconds;
}

using DatedPath = std::pair<std::int64_t, std::wstring>;  // time written, path

// Keeps the later written of `kept` and `found` (at the same time, the greater path) in `kept`,
// and removes the other's file.
void keepLatest(DatedPath& kept, DatedPath found) {
    if (kept.second.empty() || kept < found) kept.swap(found);
    if (!found.second.empty()) platform::removeFile(found.second);
}

// Removes the final caches of the application's other configurations but the one written last,
// so that the folder holds at most two per application (two serve a launch that switches between
// two configurations, such as heaps on both sides of the compressed pointers' limit), and the files
// of other starts that no running start still writes. Files in use elsewhere may refuse; they go
// next time.
void removeLeftovers(const std::wstring& folder, const std::wstring& application, const std::wstring& stem) {
    DatedPath latestOther;
    // Both systems let a listing go on while entries already listed are removed.
    platform::listDirectory(inFolder(folder, L""), [&](const platform::DirectoryEntry& entry) {
        if (entry.isDirectory || !isCacheFileOf(entry.name, application)) return;
        const std::wstring path = inFolder(folder, entry.name);
        const bool other = !startsWith(entry.name, stem + L".");
        const bool final = endsWith(entry.name, L".jsa") || endsWith(entry.name, L".aot");
        const bool refusal = endsWith(entry.name, kRefusalSuffix);
        if (final && other) return keepLatest(latestOther, {platform::fileStamp(path).value_or(platform::FileStamp{0, 0}).modified, path});
        if ((refusal && other) || (!final && !refusal && isOlderThan(path, kLeftoverSeconds))) platform::removeFile(path);
    });
}

// Publishes the ahead-of-time caches of `stem` whose assembly has finished under the final name
// `archive`, and removes their recording and output. True when an assembly is still under way.
bool publishAssembledCaches(const std::wstring& folder, const std::wstring& stem, const std::wstring& archive) {
    bool underWay = false;
    platform::listDirectory(inFolder(folder, L""), [&](const platform::DirectoryEntry& entry) {
        if (!startsWith(entry.name, stem + L".") || !endsWith(entry.name, kRecordingSuffix)) return;
        const std::wstring own = inFolder(folder, entry.name.substr(0, entry.name.size() - std::wstring(kRecordingSuffix).size()));
        const std::string output = platform::readFileBytes(own + kAssemblyOutputSuffix).value_or("");
        if (output.find(kAssemblyComplete) == std::string::npos) {
            underWay = underWay || !isOlderThan(own + kRecordingSuffix, kLeftoverSeconds);
            return;
        }
        // A concurrent start may have published first; its cache is as good.
        if (!platform::renameWithoutReplacing(own + kAssembledSuffix, archive)) platform::removeFile(own + kAssembledSuffix);
        platform::removeFile(own + kRecordingSuffix);
        platform::removeFile(own + kAssemblyOutputSuffix);
    });
    return underWay;
}

// Whether the file `archive` begins as a cache of `kind` does. Anything else under the name (a
// damaged file, another kind of cache) is written anew.
bool looksLikeCache(const std::wstring& archive, CacheKind kind) {
    const std::string& magic = kind == CacheKind::DynamicArchive ? kDynamicArchiveMagic : kAotCacheMagic;
    return platform::readFileStart(archive, magic.size()) == magic;
}

// Set by scheduleExitWork. Built as the program starts, it is destroyed only after every exit
// handler registered later, finishAtExit among them, has run.
ExitWork exitWork;

// Read by the exit work, which the VM may run from any thread as it ends the process.
std::atomic<VmStage> vmStage{VmStage::Creating};

// Calls `visit` with each line of `text`, without its line end.
template <class Visit>
void forEachLine(const std::string& text, Visit visit) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        visit(line);
        start = end + 1;
    }
}

// The ending work of a launch that wrote: publishes a dynamic archive under its final name in one
// step (a concurrent launch never maps a partly written archive; it fails when another launch
// published first, or when the VM wrote none), or starts the assembly of a recorded cache. False
// when the VM wrote nothing whole: no dynamic archive, or no recording, or one it failed to end
// (`vmFailed`).
bool finishWriting(const ExitWork& work, bool vmFailed) {
    if (work.plan.kind == CacheKind::DynamicArchive) {
        const bool written = looksLikeCache(work.plan.written, work.plan.kind);
        if (!written || !platform::renameWithoutReplacing(work.plan.written, work.plan.archive)) platform::removeFile(work.plan.written);
        return written;
    }
    const bool recorded = !vmFailed && platform::fileStamp(work.plan.written).has_value();
    if (!recorded || !platform::startDetachedLowPriority(work.assemblyProgram, work.assemblyArguments, work.assemblyOutput)) {
        platform::removeFile(work.plan.written);
    }
    return recorded;
}

// Moves the VM's cache messages into the debug file and removes an archive the VM did not map.
void finishVmLog(const ExitWork& work) {
    const std::optional<std::string> log = platform::readFileBytes(work.plan.vmLog);
    platform::removeFile(work.plan.vmLog);
    if (!log) return;
    const std::string& mapped = work.plan.kind == CacheKind::DynamicArchive ? kDynamicArchiveMapped : kAotCacheMapped;
    // A cache that no longer fits the VM (another base archive, another VM build) goes, so that the
    // next start writes one that does.
    if (work.plan.action == CacheAction::Read && log->find(mapped) == std::string::npos) platform::removeFile(work.plan.archive);
    if (work.debugFile.empty()) return;
    forEachLine(*log, [&](const std::string& line) { platform::appendLineToFile(work.debugFile, fromUtf8(line)); });
}

// Runs once when the process ends, once the VM is done with the cache: the VM writes on its way
// out, both when DestroyJavaVM returns and when System.exit ends the process, or it ends the process
// through its abort hook when it fails. (On Windows the VM's own C runtime ends a System.exit, which
// may skip this; a later start removes the leftovers.) `vmFailed` when the VM ends it so.
void finishEnding(bool vmFailed) {
    static std::atomic<bool> done{false};
    if (done.exchange(true)) return;
    const ExitWork& work = exitWork;
    const bool written = work.plan.action != CacheAction::Write || finishWriting(work, vmFailed);
    finishVmLog(work);
    if (!written && vmStage == VmStage::Destroying) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

void finishAtExit() {
    finishEnding(false);
}

// Runs when the VM ends the process through a failure. One while the VM is created may come from
// the cache's options, in a way no check foresaw: the configuration and VM then get no cache, and
// the launch runs again in this process's place, with its arguments, streams and exit code.
void JNICALL finishOnVmAbort() {
    finishEnding(true);
    const ExitWork& work = exitWork;
    if (vmStage != VmStage::Creating || !platform::createNewFile(work.refusalMarker)) return;
    if (!work.debugFile.empty()) {
        platform::appendLineToFile(work.debugFile, L"The startup cache: the VM failed to start with it; the launch runs again without it");
    }
    std::fflush(nullptr);
    platform::rerunInPlace(work.startFolder);
}

}  // namespace

CachePlan planIn(const CacheFiles& files, const std::wstring& folder) {
    const bool dynamic = files.kind == CacheKind::DynamicArchive;
    std::wstring written;
    if (files.action == CacheAction::Write) written = inFolder(folder, files.own + (dynamic ? L".jsa.part" : kRecordingSuffix));
    return {files.kind, files.action, inFolder(folder, files.stem + finalSuffix(files.kind)), written, inFolder(folder, files.own + L".log")};
}

std::optional<CacheFiles> chooseCacheFiles(const std::wstring& folder, const std::wstring& application, const std::wstring& hash,
                                           CacheKind kind, std::wstring& whyNot) {
    CacheFiles files{kind, CacheAction::Read, application + L"-" + hash, {}};
    files.own = files.stem + L"." + unpredictableTag();
    const std::wstring archive = inFolder(folder, files.stem + finalSuffix(kind));
    if (platform::fileStamp(refusalMarker(folder, files.stem))) {
        whyNot = L"the VM failed to start with it before, with this configuration and VM";
        return std::nullopt;
    }
    const bool underWay = kind == CacheKind::AheadOfTime && publishAssembledCaches(folder, files.stem, archive);
    if (looksLikeCache(archive, kind)) return files;
    if (underWay) {
        whyNot = L"the ahead-of-time cache is still being assembled";
        return std::nullopt;
    }
    if (platform::freeBytes(folder).value_or(0) < kMinimumFreeBytes) {
        whyNot = L"too little free space in " + folder;
        return std::nullopt;
    }
    platform::removeFile(archive);
    removeLeftovers(folder, application, files.stem);
    files.action = CacheAction::Write;
    return files;
}

VmAbortHook exitWorkAbortHook() {
    return finishOnVmAbort;
}

void setExitWorkStage(VmStage stage) {
    vmStage = stage;
}

std::wstring refusalMarker(const std::wstring& folder, const std::wstring& stem) {
    return inFolder(folder, stem + kRefusalSuffix);
}

void scheduleExitWork(ExitWork work) {
    exitWork = std::move(work);
    std::atexit(finishAtExit);
}

std::wstring unpredictableTag() {
    return sixteenHexDigits(platform::unpredictableBits());
}

bool isCacheFileOf(const std::wstring& name, const std::wstring& application) {
    const std::wstring prefix = application + L"-";
    if (!startsWith(name, prefix) || name.size() <= prefix.size() + kHashDigits) return false;
    const bool hex = name.substr(prefix.size(), kHashDigits).find_first_not_of(L"0123456789abcdef") == std::wstring::npos;
    return hex && name[prefix.size() + kHashDigits] == L'.';
}
