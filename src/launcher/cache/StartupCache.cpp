// The startup cache: the checks that keep a launch from failing because of it, the folder, the VM
// options, and what the debug file says.
#include "launcher/cache/StartupCache.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "config/Properties.h"
#include "jvm/InstallationFacts.h"
#include "launcher/cache/StartupCacheFiles.h"
#include "launcher/cache/StartupCacheFolder.h"
#include "launcher/cache/StartupCacheKey.h"
#include "launcher/vm/VmOptionText.h"
#include "platform/FileStore.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

constexpr int kFirstArchivingJava = 13;
constexpr int kFirstAotJava = 25;

// The options of a variable the VM reads as options, split at blanks as the VM splits them.
std::vector<std::wstring> variableOptions(const wchar_t* variable) {
    std::vector<std::wstring> options;
    const std::wstring value = platform::environmentVariable(variable).value_or(L"");
    std::size_t start = 0;
    while ((start = value.find_first_not_of(L" \t\r\n", start)) != std::wstring::npos) {
        const std::size_t end = std::min(value.find_first_of(L" \t\r\n", start), value.size());
        options.push_back(value.substr(start, end - start));
        start = end;
    }
    return options;
}

// Every option the VM will see, in the order it applies them: JAVA_TOOL_OPTIONS, the launch's,
// then _JAVA_OPTIONS.
std::vector<std::wstring> effectiveOptions(const std::vector<std::wstring>& options) {
    std::vector<std::wstring> all = variableOptions(L"JAVA_TOOL_OPTIONS");
    for (const std::wstring& option : options) all.push_back(option);
    for (std::wstring& option : variableOptions(L"_JAVA_OPTIONS")) all.push_back(std::move(option));
    return all;
}

// The Java feature version of the chosen VM: its recorded version, else its release file's.
int chosenJavaFeature(const JVM& jvm) {
    if (!jvm.getVersion().empty()) return javaFeatureVersion(jvm.getVersion());
    return javaFeatureVersion(installedJavaVersion(jvm.getJavaHomePath()).value_or(L""));
}

// The executable's file name without a final ".exe" (in any case).
std::wstring applicationName(const std::wstring& exePath) {
    std::wstring name = exePath.substr(exePath.rfind(platform::kPathSeparator) + 1);
    if (endsWith(toLowerAscii(name), L".exe")) name.erase(name.size() - 4);
    return name;
}

// Whether the VM library's folder holds the base archive that a program's archive builds on
// (another one without compressed object pointers): without it the VM archives nothing.
bool hasBaseArchive(const std::wstring& vmLibrary, bool compressedOops) {
    const std::wstring folder = vmLibrary.substr(0, vmLibrary.rfind(platform::kPathSeparator) + 1);
    return platform::fileStamp(folder + (compressedOops ? L"classes.jsa" : L"classes_nocoops.jsa")).has_value();
}

// Why the launch gets no cache, whatever the folder; empty when nothing stands against it.
std::wstring reasonAgainstCache(const std::vector<std::wstring>& options, const std::vector<std::wstring>& effective,
                                const JVM& jvm, int javaFeature, bool compressedOops) {
    if (std::any_of(options.begin(), options.end(), choosesOwnClassSharing)) {
        return L"the VM options choose their own class-data sharing";
    }
    if (std::any_of(effective.begin(), effective.end(), choosesOwnClassSharing)) {
        return L"JAVA_TOOL_OPTIONS or _JAVA_OPTIONS choose their own class-data sharing";
    }
    if (javaFeature < kFirstArchivingJava) return L"the VM keeps no class-data archive of a program";
    const std::wstring sharingOff = whySharingIsOff(effective);
    if (!sharingOff.empty()) return sharingOff;
    if (!hasBaseArchive(jvm.getJvmPath(), compressedOops)) return L"the VM has no default class-data archive to build on";
    if (!classPathCanBeArchived(effective)) return L"a folder of the class path holds files, and the VM archives jar files only";
    return {};
}

// Whether this process can create files in `folder`: a probe of its own, created exclusively.
bool canWriteIn(const std::wstring& folder) {
    const std::wstring probe = inFolder(folder, L"probe-" + unpredictableTag());
    if (!platform::createNewFile(probe)) return false;
    platform::removeFile(probe);
    return true;
}

using Note = FunctionRef<void(const std::wstring&)>;

// The private cache folder of the launch, in which this process can create files; empty, with
// the reason noted, when there is none. Notes each folder passed over.
std::wstring usableFolder(const Properties& properties, const std::wstring& application, Note note) {
    const std::wstring& exe = properties.getFullPathAndNameOfExe();
    const std::wstring folder =
        privateCacheFolder(cacheFolderCandidates(properties.getStartupCacheDir(), exe, application),
                           [&](const std::wstring& refused, const std::wstring& why) { note(L"not in " + refused + L", " + why); });
    if (folder.empty()) {
        note(L"off, no private cache folder");
        return {};
    }
    if (!canWriteIn(folder)) {
        note(L"off, no cache folder can be written");
        return {};
    }
    // The VM reads a list separator in an archive option as the start of a second archive's path.
    if (inFolder(folder, application).find(platform::kPathListSeparator) != std::wstring::npos) {
        note(L"off, the cache's path holds the path list separator");
        return {};
    }
    return folder;
}

// The options that keep the VM's cache messages off standard output, where its warnings go by
// default, and send them to `vmLog`.
std::vector<std::wstring> loggingOptions(int javaFeature, const std::wstring& vmLog) {
    const bool aot = javaFeature >= kFirstAotJava;
    std::vector<std::wstring> options{L"-Xlog:cds*=off"};
    if (aot) options.push_back(std::wstring(L"-Xlog:aot*=off"));
    // Quoted, so that a drive letter's colon is no separator of the option; a quote cannot be.
    if (vmLog.find(L'"') == std::wstring::npos) {
        options.push_back(std::wstring(aot ? L"-Xlog:cds,aot" : L"-Xlog:cds") + L":file=\"" + vmLog + L"\"::filecount=0");
    }
    return options;
}

// Whether every option of the cache, with its folder written as `vmFolder`, fits the VM's code page.
bool fitsCodePage(int javaFeature, const CacheFiles& files, const std::wstring& vmFolder, const VmTextEncoding& encoding) {
    const std::vector<std::wstring> options = startupCacheOptions(javaFeature, planIn(files, vmFolder));
    return std::all_of(options.begin(), options.end(), [&](const std::wstring& option) { return encoding.encode(option).has_value(); });
}

// The cache folder as the VM's options name it: its own path where the VM's code page carries
// the options, else its short name; empty when neither fits.
std::optional<std::wstring> folderForVm(int javaFeature, const CacheFiles& files, const std::wstring& folder) {
    const VmTextEncoding encoding = systemVmTextEncoding();
    if (fitsCodePage(javaFeature, files, folder, encoding)) return folder;
    const std::optional<std::wstring> shortFolder = encoding.shortPath(folder);
    if (!shortFolder || !fitsCodePage(javaFeature, files, *shortFolder, encoding)) return std::nullopt;
    return shortFolder;
}

// How the debug file names what the cache does.
std::wstring description(const CachePlan& plan) {
    if (plan.kind == CacheKind::AheadOfTime) {
        return L"ahead-of-time cache " + plan.archive +
               (plan.action == CacheAction::Write ? L", recorded now and assembled after the program ends" : L", read");
    }
    return L"dynamic class-data archive " + plan.archive + (plan.action == CacheAction::Write ? L", written at exit" : L", read");
}

// The assembly of the ahead-of-time cache that `plan` records: the Java home's own launcher with
// the options that shape class loading, reading the recording and writing `assembled`.
void addAssembly(ExitWork& work, const JVM& jvm, const std::vector<std::wstring>& options, const CachePlan& vmPlan,
                 const std::wstring& assembled) {
    work.assemblyProgram = jvm.getJavaHomePath() + platform::kPathSeparator + L"bin" + platform::kPathSeparator + platform::kJavaProgramName;
    for (const std::wstring& option : options) {
        if (changesClassLoading(option)) work.assemblyArguments.push_back(option);
    }
    work.assemblyArguments.push_back(L"-XX:AOTMode=create");
    work.assemblyArguments.push_back(L"-XX:AOTConfiguration=" + vmPlan.written);
    work.assemblyArguments.push_back(L"-XX:AOTCache=" + assembled);
}

// The hook for the VM's failures, once the launch has a cache.
VmAbortHook& abortHook() {
    static VmAbortHook hook = nullptr;
    return hook;
}

// Inserts the cache's options, naming the folder as `vmFolder`, before the configured ones, and
// schedules the work of the process's end.
void putInPlace(Properties& properties, int javaFeature, const CacheFiles& files, const std::wstring& folder,
                const std::wstring& vmFolder) {
    std::vector<std::wstring>& options = properties.getJavaSystemProperties();
    const CachePlan vmPlan = planIn(files, vmFolder);
    ExitWork work{planIn(files, folder), properties.getDebugFile(), refusalMarker(folder, files.stem), properties.getCallerDir(),
                  {}, {}, {}};
    if (files.kind == CacheKind::AheadOfTime && files.action == CacheAction::Write) {
        addAssembly(work, *properties.getFoundJvm(), options, vmPlan, inFolder(vmFolder, files.own + L".aot.part"));
        work.assemblyOutput = inFolder(folder, files.own + L".aot.log");
    }
    std::vector<std::wstring> cacheOptions = startupCacheOptions(javaFeature, vmPlan);
    for (std::wstring& option : options) cacheOptions.push_back(std::move(option));
    options.swap(cacheOptions);
    scheduleExitWork(std::move(work));
    abortHook() = exitWorkAbortHook();
}

// Writes "The startup cache: <text>" to the debug file, if there is one.
void noteInDebugFile(const std::wstring& debugFile, const std::wstring& text) {
    if (!debugFile.empty()) platform::appendLineToFile(debugFile, L"The startup cache: " + text);
}

}  // namespace

std::vector<std::wstring> startupCacheOptions(int javaFeature, const CachePlan& plan) {
    if (javaFeature < kFirstArchivingJava) return {};
    std::vector<std::wstring> options = loggingOptions(javaFeature, plan.vmLog);
    const bool dynamic = plan.kind == CacheKind::DynamicArchive;
    if (plan.action == CacheAction::Read) {
        options.push_back((dynamic ? L"-XX:SharedArchiveFile=" : L"-XX:AOTCache=") + plan.archive);
        return options;
    }
    // A file of this process's own, rather than the VM's automatic archive on the final name: two
    // launches that write at once would write into the same file, and a VM that cannot map an
    // archive would rewrite it in place.
    if (dynamic) {
        options.push_back(L"-XX:ArchiveClassesAtExit=" + plan.written);
        return options;
    }
    // The recording VM says on standard output where it wrote; that line is not the program's.
    for (std::wstring option : {std::wstring(L"-XX:+UnlockDiagnosticVMOptions"), std::wstring(L"-XX:-DisplayVMOutput"),
                                std::wstring(L"-XX:AOTMode=record"), L"-XX:AOTConfiguration=" + plan.written}) {
        options.push_back(std::move(option));
    }
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
    abortHook() = nullptr;
    if (!properties.isStartupCache()) return;
    const std::wstring& debugFile = properties.getDebugFile();
    const auto note = [&](const std::wstring& text) { noteInDebugFile(debugFile, text); };
    const std::vector<std::wstring> effective = effectiveOptions(properties.getJavaSystemProperties());
    const JVM& jvm = *properties.getFoundJvm();
    const int javaFeature = chosenJavaFeature(jvm);
    const bool compressedOops = !withoutCompressedOops(effective, platform::physicalMemory().totalBytes);
    const std::wstring reason = reasonAgainstCache(properties.getJavaSystemProperties(), effective, jvm, javaFeature, compressedOops);
    if (!reason.empty()) return note(L"off, " + reason);
    const std::wstring application = applicationName(properties.getFullPathAndNameOfExe());
    const std::wstring folder = usableFolder(properties, application, note);
    if (folder.empty()) return;
    const bool aot = properties.isStartupCacheAheadOfTime() && javaFeature >= kFirstAotJava;
    std::wstring whyNot;
    const std::optional<CacheFiles> files =
        chooseCacheFiles(folder, application, shortHash(cacheDependencies(jvm.getJvmPath(), effective, compressedOops)),
                         aot ? CacheKind::AheadOfTime : CacheKind::DynamicArchive, whyNot);
    if (!files) return note(L"off, " + whyNot);
    const std::optional<std::wstring> vmFolder = folderForVm(javaFeature, *files, folder);
    if (!vmFolder) return note(L"off, the code page lacks characters of the cache's path and of its short name");
    putInPlace(properties, javaFeature, *files, folder, *vmFolder);
    note(description(planIn(*files, folder)));
}

VmAbortHook startupCacheAbortHook() {
    return abortHook();
}

void setVmStage(VmStage stage) {
    setExitWorkStage(stage);
}
