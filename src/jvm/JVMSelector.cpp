// The choice of the Java VM: the configured VM library, the configured Java home, or the ranked
// registry candidates.
#include "jvm/JVMSelector.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "jvm/VmLayout.h"
#include "jvm/WindowsRegistry.h"
#include "platform/PathConventions.h"
#include "report/ErrorReport.h"
#include "util/Files.h"

namespace {

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

// Makes `jvm` stand for its VM of type `type`.
void typeAs(JVM& jvm, const std::wstring& type) {
    jvm.setBinJvmDir(type);
    jvm.setJvmPath(jvm.getJvmDllPath(type));
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
    return reportFailures(L"Error while locating the most appropriate JVM.", [this] {
        // A route whose setting is present decides alone: it yields a VM or reports.
        if (std::optional<JVM> jvm = getJvmFromCustomJvmPath()) return *std::move(jvm);
        if (std::optional<JVM> jvm = getJvmFromCustomJavaHomePath()) return *std::move(jvm);
        return getJvmFromRegistry();
    });
}

JVM JVMSelector::getJvmFromRegistry() const {
    std::vector<JVM> jvms;
    locateJvms(jvms);
    separateClientAndServerJvms(jvms);
    determineJvmVersions(jvms);
    removeUnacceptableJvms(jvms);
    if (jvms.empty()) throw LaunchError{L"No acceptable JVMs were found."};
    return firstOfHighest(jvms);
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
        return std::nullopt;
    });
}

void JVMSelector::locateJvms(std::vector<JVM>& jvms) const {
    reportFailures(L"Error while locating JVMs.", [&] {
        const WindowsRegistry registry;
        registry.addSdkJvms(jvms, L"SOFTWARE\\JavaSoft\\Java Development Kit");
        registry.addJreJvms(jvms, L"SOFTWARE\\JavaSoft\\Java Runtime Environment");
    });
}

void JVMSelector::separateClientAndServerJvms(std::vector<JVM>& jvms) const {
    reportFailures(L"Error while separating out the different JVMs (client or server).", [&] {
        std::vector<JVM> serverCopies;
        for (std::size_t i = jvms.size(); i-- > 0;) {
            JVM& jvm = jvms[i];
            const bool hasClient = jvm.jvmDllExists(L"client");
            const bool hasServer = jvm.jvmDllExists(L"server");
            if (hasClient && hasServer) {
                JVM server = jvm.cloneForOtherJvmType();
                typeAs(server, L"server");
                serverCopies.push_back(std::move(server));
            }
            if (hasClient) {
                typeAs(jvm, L"client");
            } else if (hasServer) {
                typeAs(jvm, L"server");
            } else {
                jvms.erase(jvms.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        jvms.insert(jvms.end(), std::make_move_iterator(serverCopies.begin()), std::make_move_iterator(serverCopies.end()));
    });
}

void JVMSelector::determineJvmVersions(std::vector<JVM>& jvms) const {
    reportFailures(L"Error while determining versions of the JVMs.", [&] {
        const bool bundlePartFirst = isBundlePartFirst();
        const std::wstring& bundle = m_settings.javaBundle;
        const std::wstring& binJvmDir = m_settings.binJvmDir;
        for (JVM& jvm : jvms) {
            // The maximum is not tested when the minimum already fails.
            if (!m_settings.meetsMinJavaVersion(jvm.getVersion()) || !m_settings.meetsMaxJavaVersion(jvm.getVersion())) {
                jvm.setAcceptable(false);
            }
            jvm.setComparableVersion(getComparableVersion(jvm.getVersion()));
            if (bundlePartFirst) {
                jvm.adjustComparableVersionByBundle(bundle);
                jvm.adjustComparableVersionByBinJvmDir(binJvmDir);
            } else {
                jvm.adjustComparableVersionByBinJvmDir(binJvmDir);
                jvm.adjustComparableVersionByBundle(bundle);
            }
        }
    });
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
