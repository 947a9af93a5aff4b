// The class-data cache: the choice of folder, file and VM options, and the work left for the
// process's end.
#include "launcher/StartupCache.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <utility>

#include "config/Properties.h"
#include "launcher/DebugFile.h"
#include "launcher/StartupCacheKey.h"
#include "platform/FileStore.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

constexpr int kFirstArchivingJava = 13;
constexpr int kFirstSelfMaintainingJava = 19;
constexpr int kFirstAotLoggingJava = 25;
// An archive takes tens of megabytes, and a VM that cannot write it whole ends the process with
// an error; with less free space than this no archive is written.
constexpr std::uint64_t kMinimumFreeBytes = std::uint64_t{256} << 20;
constexpr std::size_t kHashDigits = 16;
// The end of the name of an archive that the VM writes and the launcher has not published yet.
const wchar_t kUnpublishedSuffix[] = L".jsa.part";
// The first four bytes of every dynamic class-data archive (the number 0xf00baba8, little-endian).
const std::string kDynamicArchiveMagic = "\xa8\xab\x0b\xf0";

// What the process's end still has to do for the cache.
struct ExitWork {
    std::wstring writtenArchive;
    std::wstring archive;
    std::wstring vmLog;
    std::wstring debugFile;
};

ExitWork& exitWork() {
    static ExitWork work;
    return work;
}

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

// Appends each line of the VM's cache messages to the debug file and removes their file. (The VM
// cannot log into the debug file itself: it empties a log file when it opens it.)
void moveVmLogIntoDebugFile(const std::wstring& vmLog, const std::wstring& debugFile) {
    const std::optional<std::string> bytes = platform::readFileBytes(vmLog);
    platform::removeFile(vmLog);
    if (bytes) forEachLine(*bytes, [&](const std::string& line) { appendDebugLine(debugFile, fromUtf8(line)); });
}

// Runs when the process ends, once the VM has written its archive: the VM writes it on its way
// out, both when DestroyJavaVM returns and when System.exit ends the process. (On Windows the VM's
// own C runtime ends a System.exit, which may skip this; the next start that writes removes the
// unpublished file.)
void finishAtExit() {
    const ExitWork& work = exitWork();
    // Publishing under the final name in one step means a concurrent launch never maps a partly
    // written archive. It fails when another launch published first, or when the VM wrote none.
    if (!work.writtenArchive.empty() && !platform::renameWithoutReplacing(work.writtenArchive, work.archive)) {
        platform::removeFile(work.writtenArchive);
    }
    if (!work.vmLog.empty()) moveVmLogIntoDebugFile(work.vmLog, work.debugFile);
}

void scheduleExitWork(const CachePlan& plan, const std::wstring& debugFile) {
    if (plan.writtenArchive.empty() && plan.vmLog.empty()) return;
    exitWork() = ExitWork{plan.writtenArchive, plan.archive, plan.vmLog, debugFile};
    std::atexit(finishAtExit);
}

// JAVA_VERSION of the Java home's release file, without its quotes; empty when there is none.
std::wstring releaseJavaVersion(const std::wstring& javaHome) {
    const std::optional<std::string> text = platform::readFileBytes(javaHome + platform::kPathSeparator + L"release");
    const std::string key = "\nJAVA_VERSION=";
    const std::string lines = "\n" + text.value_or("");
    const std::size_t at = lines.find(key);
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size();
    const std::size_t quoted = lines.compare(start, 1, "\"") == 0 ? 1 : 0;
    return fromUtf8(lines.substr(start + quoted, lines.find_first_of("\"\r\n", start + quoted) - start - quoted));
}

// The Java feature version of the chosen VM: its recorded version, else its release file's.
int chosenJavaFeature(const JVM& jvm) {
    if (!jvm.getVersion().empty()) return javaFeatureVersion(jvm.getVersion());
    return javaFeatureVersion(releaseJavaVersion(jvm.getJavaHomePath()));
}

// The executable's file name without a final ".exe" (in any case).
std::wstring applicationName(const std::wstring& exePath) {
    std::wstring name = exePath.substr(exePath.rfind(platform::kPathSeparator) + 1);
    if (endsWith(toLowerAscii(name), L".exe")) name.erase(name.size() - 4);
    return name;
}

// `name` inside `folder`, joined by a separator unless the folder ends in one.
std::wstring inFolder(const std::wstring& folder, const std::wstring& name) {
    const bool separated = endsWith(folder, std::wstring(1, platform::kPathSeparator)) || endsWith(folder, L"/");
    return separated ? folder + name : folder + platform::kPathSeparator + name;
}

// The user's cache folder for `application`; empty when no place's variable is set.
std::wstring userCacheFolder(const std::wstring& application) {
    for (const platform::UserCacheRoot* root = platform::kUserCacheRoots; root->variable; ++root) {
        const std::optional<std::wstring> value = platform::environmentVariable(root->variable);
        if (value && !value->empty()) return inFolder(*value + root->below, application + root->inside);
    }
    return {};
}

// The cache folders to try, in order: the configured one alone; else one beside the
// configuration file (which lies beside the executable), then the user's.
std::vector<std::wstring> candidateFolders(const Properties& properties, const std::wstring& application) {
    if (!properties.getStartupCacheDir().empty()) return {properties.getStartupCacheDir()};
    const std::wstring& exe = properties.getFullPathAndNameOfExe();
    std::vector<std::wstring> folders{exe.substr(0, exe.rfind(platform::kPathSeparator) + 1) + application + L".cache"};
    const std::wstring user = userCacheFolder(application);
    if (!user.empty()) folders.push_back(user);
    return folders;
}

// The first candidate folder that exists or can be created, and in which this process can create
// files; empty when there is none.
std::wstring writableFolder(const Properties& properties, const std::wstring& application) {
    const std::wstring probeName = application + L"-" + toDecimal(platform::processId()) + L".probe";
    for (const std::wstring& folder : candidateFolders(properties, application)) {
        const std::wstring probe = inFolder(folder, probeName);
        if (platform::createDirectories(folder) && platform::createNewFile(probe)) {
            platform::removeFile(probe);
            return folder;
        }
    }
    return {};
}

// Whether `name` is one of the cache files of `application`: "<application>-<hash>." and more.
bool isCacheFileOf(const std::wstring& name, const std::wstring& application) {
    const std::wstring prefix = application + L"-";
    if (!startsWith(name, prefix) || name.size() <= prefix.size() + kHashDigits) return false;
    const bool hex = name.substr(prefix.size(), kHashDigits).find_first_not_of(L"0123456789abcdef") == std::wstring::npos;
    return hex && name[prefix.size() + kHashDigits] == L'.';
}

// Removes the files of the application's other configurations, so that the folder holds one
// cache per application, and the archives that earlier starts of this configuration wrote but
// never published (a process ended by the VM on Windows does not run the launcher's exit work).
// Files in use elsewhere may refuse; they go next time.
void removeStaleFiles(const std::wstring& folder, const std::wstring& application, const std::wstring& stem) {
    // Both systems let a listing go on while entries already listed are removed.
    platform::listDirectory(inFolder(folder, L""), [&](const platform::DirectoryEntry& entry) {
        const bool ofThisConfiguration = startsWith(entry.name, stem + L".");
        const bool unpublished = endsWith(entry.name, kUnpublishedSuffix);
        if (!entry.isDirectory && isCacheFileOf(entry.name, application) && (!ofThisConfiguration || unpublished)) {
            platform::removeFile(inFolder(folder, entry.name));
        }
    });
}

// Whether the file `archive` begins as a dynamic class-data archive does. Anything else under the
// name (a damaged file, another kind of archive) is rewritten, since an old VM would keep ignoring it.
bool looksLikeDynamicArchive(const std::wstring& archive) {
    return platform::readFileStart(archive, kDynamicArchiveMagic.size()) == kDynamicArchiveMagic;
}

// The plan for the archive "<folder>/<application>-<hash>.jsa": read it when it is there, else
// write it; empty when it must be written and the folder's volume has too little space for it.
std::optional<CachePlan> planFor(const std::wstring& folder, const std::wstring& application, const std::wstring& hash,
                                 bool withVmLog) {
    const std::wstring stem = application + L"-" + hash;
    const std::wstring ownStem = inFolder(folder, stem + L"." + toDecimal(platform::processId()));
    CachePlan plan{CacheAction::Read, inFolder(folder, stem + L".jsa"), {}, withVmLog ? ownStem + L".log" : L""};
    const bool roomy = platform::freeBytes(folder).value_or(0) >= kMinimumFreeBytes;
    if (looksLikeDynamicArchive(plan.archive)) {
        if (roomy) plan.action = CacheAction::ReadAndKeepCurrent;
        return plan;
    }
    if (!roomy) return std::nullopt;
    platform::removeFile(plan.archive);
    removeStaleFiles(folder, application, stem);
    plan.action = CacheAction::Write;
    plan.writtenArchive = ownStem + kUnpublishedSuffix;
    return plan;
}

// The options that keep the VM's cache messages off standard output, where its warnings go by
// default, and send them to `vmLog` when it is set.
std::vector<std::wstring> loggingOptions(int javaFeature, const std::wstring& vmLog) {
    const bool aot = javaFeature >= kFirstAotLoggingJava;
    std::vector<std::wstring> options{L"-Xlog:cds*=off"};
    if (aot) options.push_back(std::wstring(L"-Xlog:aot*=off"));
    // Quoted, so that a drive letter's colon is no separator of the option; a quote cannot be.
    if (!vmLog.empty() && vmLog.find(L'"') == std::wstring::npos) {
        options.push_back(std::wstring(aot ? L"-Xlog:cds,aot" : L"-Xlog:cds") + L":file=\"" + vmLog + L"\"::filecount=0");
    }
    return options;
}

// How the debug file names what the cache does.
std::wstring description(int javaFeature, const CachePlan& plan) {
    const bool keptCurrent = plan.action == CacheAction::ReadAndKeepCurrent && javaFeature >= kFirstSelfMaintainingJava;
    const wchar_t* const how = plan.action == CacheAction::Write ? L", written at exit"
                               : keptCurrent                     ? L", read and kept current by the VM"
                                                                 : L", read";
    return (keptCurrent ? L"automatic class-data archive " : L"dynamic class-data archive ") + plan.archive + how;
}

// Whether the VM library's folder holds the VM's default class-data archive, on which a program's
// archive builds: without it the VM warns on every start and archives nothing.
bool hasDefaultArchive(const std::wstring& vmLibrary) {
    const std::wstring folder = vmLibrary.substr(0, vmLibrary.rfind(platform::kPathSeparator) + 1);
    return platform::fileStamp(folder + L"classes.jsa").has_value();
}

// Why the launch gets no cache, whatever the folder; empty when nothing stands against it.
std::wstring reasonAgainstCache(const std::vector<std::wstring>& options, const JVM& jvm, int javaFeature) {
    if (std::any_of(options.begin(), options.end(), choosesOwnClassSharing)) {
        return L"the VM options choose their own class-data sharing";
    }
    if (javaFeature < kFirstArchivingJava) return L"the VM keeps no class-data archive of a program";
    if (!hasDefaultArchive(jvm.getJvmPath())) return L"the VM has no default class-data archive to build on";
    if (!classPathCanBeArchived(options)) return L"a folder of the class path holds files, and the VM archives jar files only";
    return {};
}

// Writes "The startup cache: <text><more>" to the debug file, if there is one.
void noteInDebugFile(const std::wstring& debugFile, const wchar_t* text, const std::wstring& more) {
    if (!debugFile.empty()) appendDebugLine(debugFile, L"The startup cache: " + (text + more));
}

}  // namespace

std::vector<std::wstring> startupCacheOptions(int javaFeature, const CachePlan& plan) {
    if (javaFeature < kFirstArchivingJava) return {};
    std::vector<std::wstring> options = loggingOptions(javaFeature, plan.vmLog);
    if (plan.action == CacheAction::Write) {
        // A file of this process's own, rather than -XX:+AutoCreateSharedArchive on the final
        // name: two launches that write at once would write into the same file.
        options.push_back(L"-XX:ArchiveClassesAtExit=" + plan.writtenArchive);
        return options;
    }
    if (plan.action == CacheAction::ReadAndKeepCurrent && javaFeature >= kFirstSelfMaintainingJava) {
        options.push_back(std::wstring(L"-XX:+AutoCreateSharedArchive"));
    }
    options.push_back(L"-XX:SharedArchiveFile=" + plan.archive);
    return options;
}

int javaFeatureVersion(const std::wstring& version) {
    // Before Java 9 versions read "1.<feature>...".
    int feature = 0;
    for (std::size_t at = startsWith(version, L"1.") ? 2 : 0; at < version.size() && isAsciiDigit(version[at]) && feature < 100000; ++at) {
        feature = feature * 10 + (version[at] - L'0');
    }
    return feature;
}

void addStartupCacheOptions(Properties& properties) {
    if (!properties.isStartupCache()) return;
    const std::wstring& debugFile = properties.getDebugFile();
    const auto note = [&](const wchar_t* text, const std::wstring& more = {}) { noteInDebugFile(debugFile, text, more); };
    std::vector<std::wstring>& options = properties.getJavaSystemProperties();
    const JVM& jvm = *properties.getFoundJvm();
    const int javaFeature = chosenJavaFeature(jvm);
    const std::wstring reason = reasonAgainstCache(options, jvm, javaFeature);
    if (!reason.empty()) return note(L"off, ", reason);
    const std::wstring application = applicationName(properties.getFullPathAndNameOfExe());
    const std::wstring folder = writableFolder(properties, application);
    if (folder.empty()) return note(L"off, no cache folder can be written");
    // The VM reads a list separator in an archive option as the start of a second archive's path.
    if (inFolder(folder, application).find(platform::kPathListSeparator) != std::wstring::npos) {
        return note(L"off, the cache's path holds the path list separator");
    }
    const std::wstring hash = shortHash(cacheDependencies(jvm.getJvmPath(), options));
    const std::optional<CachePlan> plan = planFor(folder, application, hash, !debugFile.empty());
    if (!plan) return note(L"off, too little free space in ", folder);
    std::vector<std::wstring> cacheOptions = startupCacheOptions(javaFeature, *plan);
    for (std::wstring& option : options) cacheOptions.push_back(std::move(option));
    options.swap(cacheOptions);
    note(L"", description(javaFeature, *plan));
    scheduleExitWork(*plan, debugFile);
}
