// The choice of the Java VM: the configured VM library, the configured Java home, or the ranked
// installed Javas with what explains the choice.
#include "jvm/JVMSelector.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "jvm/CandidateReport.h"
#include "jvm/EnvironmentJava.h"
#include "jvm/InstallFolders.h"
#include "jvm/RegistryLayouts.h"
#include "jvm/VmLayout.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "report/ErrorReport.h"
#include "util/Files.h"
#include "util/Text.h"

namespace {

const wchar_t* const kChoiceFailure = L"Error while locating the most appropriate JVM.";

// The VM types a configured Java home is searched for, in order, and the start of the message
// when neither is found.
struct HomeSearch {
    std::vector<const wchar_t*> types;
    const wchar_t* failure;
};

HomeSearch homeSearchFor(const std::wstring& binJvmDir) {
    if (binJvmDir == L"require_server") return {{L"server"}, L"The server JVM could not be found for Java home: "};
    if (binJvmDir == L"require_client") return {{L"client"}, L"The client JVM could not be found for Java home: "};
    if (binJvmDir == L"prefer_server") return {{L"server", L"client"}, L"A JVM could not be found for Java home: "};
    return {{L"client", L"server"}, L"A JVM could not be found for Java home: "};
}

JVM jvmAt(const std::wstring& jvmPath, const std::wstring& javaHome) {
    JVM jvm;
    jvm.setJvmPath(jvmPath);
    jvm.setJavaHomePath(javaHome);
    return jvm;
}

// Makes `jvm` stand for its VM of type `type` in the VM types folder `folder`.
void typeAs(JVM& jvm, const std::wstring& folder, const std::wstring& type) {
    jvm.setJrePath(folder);
    jvm.setBinJvmDir(type);
    jvm.setJvmPath(jvm.getJvmDllPath(type));
    jvm.setVmMachine(machineOfLibrary(jvm.getJvmPath()));
}

// The folder that holds `path`, ending in a separator; empty when the path names none.
std::wstring folderOf(const std::wstring& path) {
    const std::size_t end = path.rfind(platform::kPathSeparator);
    return end == std::wstring::npos ? std::wstring() : path.substr(0, end + 1);
}

// The candidate of the VM library that `jvm`'s registry key names, wherever it lies: a client VM
// when its folder is named "client", else a server VM (the only VM of the Javas whose keys name
// one); nothing when no library is named or the file is missing.
std::optional<JVM> runtimeLibraryVm(const JVM& jvm) {
    const std::wstring& library = jvm.getRuntimeLibrary();
    if (library.empty() || !fileExists(library)) return std::nullopt;
    const std::wstring typeFolder = folderOf(library);
    const std::wstring vmTypesFolder = folderOf(withoutTrailingSeparators(typeFolder));
    const bool isClient = withoutTrailingSeparators(typeFolder.substr(vmTypesFolder.size())) == L"client";
    JVM vm = jvm.cloneForOtherJvmType();
    vm.setJrePath(vmTypesFolder);
    vm.setBinJvmDir(isClient ? L"client" : L"server");
    vm.setJvmPath(library);
    vm.setVmMachine(machineOfLibrary(library));
    return vm;
}

// Takes the version and the kind from the installation's own files where they tell. A release
// file that cannot be read leaves a registry key's version standing, as before there were release
// files; a folder has no other version to give, and its candidate is refused.
void applyInstallationFacts(JVM& jvm) {
    const std::wstring& javaHome = jvm.getJavaHomePath();
    if (std::optional<std::wstring> version = installedJavaVersion(javaHome)) {
        jvm.setVersion(*version);
    } else if (jvm.getVersion().empty() && hasReleaseFile(javaHome)) {
        jvm.refuse(L"release file unreadable");
    }
    if (hasJavaCompiler(javaHome)) {
        jvm.setJavaBundle(L"sdk");
    } else if (jvm.getJavaBundle().empty()) {
        jvm.setJavaBundle(L"jre");
    }
}

// What tells two VM libraries apart: the identity of the folder that holds one (so that a link,
// a differently written path or a trailing separator name the same VM), else its path.
std::wstring vmIdentity(const JVM& jvm) {
    const std::wstring& path = jvm.getJvmPath();
    const std::wstring folder = path.substr(0, path.rfind(platform::kPathSeparator) + 1);
    if (const std::optional<platform::FileIdentity> identity = platform::directoryIdentity(folder)) {
        return toDecimal(identity->volume) + L":" + toDecimal(identity->index) + L":" + jvm.getBinJvmDir();
    }
    return platform::kCaseInsensitivePaths ? toLowerAscii(path) : path;
}

// Keeps the first candidate of each VM library.
void dropDuplicateVms(std::vector<JVM>& jvms) {
    std::vector<std::wstring> seen;
    std::vector<JVM> unique;
    for (JVM& jvm : jvms) {
        std::wstring identity = vmIdentity(jvm);
        if (std::find(seen.begin(), seen.end(), identity) != seen.end()) continue;
        seen.push_back(std::move(identity));
        unique.push_back(std::move(jvm));
    }
    jvms = std::move(unique);
}

// The first of the candidates with the greatest comparable version.
const JVM& firstOfHighest(const std::vector<JVM>& jvms) {
    const JVM* best = &jvms.front();
    for (const JVM& jvm : jvms) {
        if (JVMSelector::isLowerComparableVersion(*best, jvm)) best = &jvm;
    }
    return *best;
}

}  // namespace

JVMSelector::JVMSelector(VmChoiceSettings settings) : m_settings(std::move(settings)) {}

JVM JVMSelector::getMostAppropriateJvm() const {
    return reportFailures(kChoiceFailure, [this] {
        JvmChoice choice = choose();
        if (!choice.jvm) throw LaunchError{choice.failure};
        return *std::move(choice.jvm);
    });
}

JvmChoice JVMSelector::choose() const {
    return reportFailures(kChoiceFailure, [this] {
        // A route whose setting is present decides alone: it yields a VM or reports.
        if (std::optional<JVM> jvm = getJvmFromCustomJvmPath()) return JvmChoice{std::move(jvm), {}, {}};
        if (std::optional<JVM> jvm = getJvmFromCustomJavaHomePath()) return JvmChoice{std::move(jvm), {}, {}};
        return chooseInstalledJvm();
    });
}

JvmChoice JVMSelector::chooseInstalledJvm() const {
    std::vector<JVM> jvms;
    std::vector<JVM> withoutVm;
    locateJvms(jvms);
    separateClientAndServerJvms(jvms, &withoutVm);
    determineJvmVersions(jvms);
    std::vector<JVM> considered = jvms;
    removeUnacceptableJvms(jvms);
    JvmChoice choice;
    if (!jvms.empty()) choice.jvm = firstOfHighest(jvms);
    for (JVM& jvm : withoutVm) jvm.refuse(L"VM library missing");
    for (JVM& jvm : withoutVm) considered.push_back(std::move(jvm));
    const CandidateReport report(std::move(considered), m_settings.machine);
    choice.candidateLines = report.debugLines(choice.jvm);
    if (!choice.jvm) choice.failure = L"No acceptable JVMs were found." + report.refusalDetail();
    return choice;
}

std::optional<JVM> JVMSelector::getJvmFromCustomJvmPath() const {
    return reportFailures(L"Error while getting the JVM from the custom jvm path setting.", [this]() -> std::optional<JVM> {
        const std::wstring& path = m_settings.jvmPath;
        if (path.empty()) return std::nullopt;
        if (!fileExists(path)) throw LaunchError{L"This JVM file could not be found: " + path};
        JVM jvm;
        jvm.setJvmPath(path);
        return jvm;
    });
}

std::optional<JVM> JVMSelector::getJvmFromCustomJavaHomePath() const {
    return reportFailures(L"Error while getting the JVM from the custom Java path setting.", [this]() -> std::optional<JVM> {
        const std::wstring& javaHome = m_settings.javaHomePath;
        if (javaHome.empty()) return std::nullopt;
        const HomeSearch search = homeSearchFor(m_settings.binJvmDir);
        for (const wchar_t* type : search.types) {
            if (std::optional<JVM> jvm = getJvmFromJavaHomePathAndJvmType(javaHome, type)) return jvm;
        }
        throw LaunchError{search.failure + javaHome};
    });
}

std::optional<JVM> JVMSelector::getJvmFromJavaHomePathAndJvmType(const std::wstring& javaHome,
                                                                 const std::wstring& type) const {
    return reportFailures(L"Error while getting the JVM from the Java home path and JVM type.", [&]() -> std::optional<JVM> {
        // A development kit keeps its runtime in a folder of its own.
        for (const std::wstring& home : {javaHome, javaHome + platform::kPathSeparator + L"jre"}) {
            const std::wstring jvmPath = vmLibraryPath(runtimeVmTypesFolder(home), type);
            if (fileExists(jvmPath)) return jvmAt(jvmPath, home);
        }
        // A Java 8 on Linux keeps its VM types a folder deeper, one per processor.
        for (const std::wstring& folder : vmTypesFolderChoices(javaHome, L"jre")) {
            const std::wstring jvmPath = vmLibraryPath(folder, type);
            if (fileExists(jvmPath)) return jvmAt(jvmPath, javaHome);
        }
        return std::nullopt;
    });
}

void JVMSelector::locateJvms(std::vector<JVM>& jvms) const {
    reportFailures(L"Error while locating JVMs.", [&] {
        addRegistryJvms(jvms);
        addJavaHomeVariableJvm(jvms);
        addInstallFolderJvms(jvms);
        for (JVM& jvm : jvms) applyInstallationFacts(jvm);
    });
}

void JVMSelector::separateClientAndServerJvms(std::vector<JVM>& jvms, std::vector<JVM>* withoutVm) const {
    reportFailures(L"Error while separating out the different JVMs (client or server).", [&] {
        std::vector<JVM> serverCopies;
        for (std::size_t i = jvms.size(); i-- > 0;) {
            JVM& jvm = jvms[i];
            std::optional<JVM> library = runtimeLibraryVm(jvm);
            const std::optional<std::wstring> folder = findVmTypesFolder(jvm.getJavaHomePath(), jvm.getJavaBundle());
            if (!folder && library) {
                jvm = *std::move(library);
                continue;
            }
            if (!folder) {
                if (withoutVm) withoutVm->insert(withoutVm->begin(), std::move(jvm));
                jvms.erase(jvms.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            const bool hasClient = fileExists(vmLibraryPath(*folder, L"client"));
            if (hasClient && fileExists(vmLibraryPath(*folder, L"server"))) {
                JVM server = jvm.cloneForOtherJvmType();
                typeAs(server, *folder, L"server");
                serverCopies.push_back(std::move(server));
            }
            // After the layout's VMs, so that the same library counts once, as theirs.
            if (library) serverCopies.push_back(*std::move(library));
            typeAs(jvm, *folder, hasClient ? L"client" : L"server");
        }
        for (JVM& copy : serverCopies) jvms.push_back(std::move(copy));
        dropDuplicateVms(jvms);
    });
}

void JVMSelector::determineJvmVersions(std::vector<JVM>& jvms) const {
    reportFailures(L"Error while determining versions of the JVMs.", [&] {
        const bool bundlePartFirst = isBundlePartFirst();
        const std::wstring& bundle = m_settings.javaBundle;
        const std::wstring& binJvmDir = m_settings.binJvmDir;
        for (JVM& jvm : jvms) {
            if (const std::optional<std::wstring> reason = machineRefusal(jvm.getVmMachine(), m_settings.machine)) {
                jvm.refuse(*reason);
            }
            // The maximum is not tested when the minimum already fails.
            if (!m_settings.meetsMinJavaVersion(jvm.getVersion())) {
                jvm.refuse(L"below the minimum version " + m_settings.minJavaVersion);
            } else if (!m_settings.meetsMaxJavaVersion(jvm.getVersion())) {
                jvm.refuse(L"above the maximum version " + m_settings.maxJavaVersion);
            }
            jvm.setComparableVersion(getComparableVersion(jvm.getVersion()));
            if (bundlePartFirst) {
                jvm.adjustComparableVersionByBundle(bundle);
                jvm.adjustComparableVersionByBinJvmDir(binJvmDir);
            } else {
                jvm.adjustComparableVersionByBinJvmDir(binJvmDir);
                jvm.adjustComparableVersionByBundle(bundle);
            }
            explainRefusal(jvm);
        }
    });
}

// The rank parts make a candidate unacceptable without saying why: a "require_" setting asks
// for the other bundle or VM type.
void JVMSelector::explainRefusal(JVM& jvm) const {
    if (jvm.isAcceptable() || !jvm.getRefusal().empty()) return;
    if (m_settings.javaBundle == L"require_sdk" && jvm.getJavaBundle() == L"jre") {
        jvm.refuse(L"a runtime where a development kit is required");
    } else if (m_settings.javaBundle == L"require_jre" && jvm.getJavaBundle() == L"sdk") {
        jvm.refuse(L"a development kit where a runtime is required");
    } else if (m_settings.binJvmDir == L"require_server") {
        jvm.refuse(L"a client VM where a server VM is required");
    } else {
        jvm.refuse(L"a server VM where a client VM is required");
    }
}

// The stronger preference's rank part comes first, and at equal strength the bundle's.
bool JVMSelector::isBundlePartFirst() const {
    const bool bothEmpty = m_settings.javaBundle.empty() && m_settings.binJvmDir.empty();
    return bothEmpty || m_settings.isJavaBundleRequired() ||
           (m_settings.isJavaBundlePreferred() && !m_settings.isBinJvmDirRequired());
}

void JVMSelector::removeUnacceptableJvms(std::vector<JVM>& jvms) const {
    reportFailures(L"Error while removing unacceptable versions of the JVM.", [&] {
        jvms.erase(std::remove_if(jvms.begin(), jvms.end(), [](const JVM& jvm) { return !jvm.isAcceptable(); }), jvms.end());
    });
}

bool JVMSelector::isLowerComparableVersion(const JVM& a, const JVM& b) {
    return isLowerComparable(a.getComparableVersion(), b.getComparableVersion());
}
