// Chooses the Java VM to load: the configured VM library, else the configured Java home, else the
// best of the installed Javas (registry, JAVA_HOME, install folders) under the configured version
// bounds and preferences and the launcher's machine.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jvm/JVM.h"
#include "jvm/VmChoiceSettings.h"

// The outcome of the choice among the installed Javas, with what explains it.
struct JvmChoice {
    std::optional<JVM> jvm;                    // the chosen VM; empty when none is acceptable
    std::wstring failure;                      // the message when none is: the refusals follow it
    std::vector<std::wstring> candidateLines;  // every VM considered, in rank order, for the debug file
};

class JVMSelector {
public:
    // Chooses by `settings`, a copy of the configuration's at the moment of the choice.
    explicit JVMSelector(VmChoiceSettings settings);

    // The chosen candidate; reports "No acceptable JVMs were found." (and why, one line per
    // candidate) when the installed Javas leave none, and the routes' own messages when a
    // configured path does not lead to a VM.
    JVM getMostAppropriateJvm() const;

    // The choice as getMostAppropriateJvm makes it, but a choice that finds no acceptable VM
    // comes back with the failure's message instead of being reported.
    JvmChoice choose() const;

    // A candidate holding only the configured VM library path; nothing when none is configured.
    // Reports "This JVM file could not be found: " + path when it does not exist.
    std::optional<JVM> getJvmFromCustomJvmPath() const;

    // The client or server VM of the configured Java home, as the VM type setting asks; nothing
    // when no Java home is configured. Reports a message naming the home when none is found.
    std::optional<JVM> getJvmFromCustomJavaHomePath() const;

    // The VM of type `type` under `javaHome`, or else under its "jre" folder (which then becomes
    // the candidate's Java home), or else where another Java generation keeps it (a Java 8 on
    // Linux); nothing when none exists.
    std::optional<JVM> getJvmFromJavaHomePathAndJvmType(const std::wstring& javaHome, const std::wstring& type) const;

    // Appends the installed Javas: the registry's (the JavaSoft development kits first), then
    // JAVA_HOME's, then those of the install folders. Each takes its version from its release
    // file where that names one, and is a development kit when it holds a Java compiler; one
    // without a registry key's version whose release file names none is refused ("release file
    // unreadable").
    void locateJvms(std::vector<JVM>& jvms) const;

    // Types every candidate as its client VM where that exists, else its server VM, each read for
    // its machine; appends a server copy of each installation that has both, and a candidate of
    // the VM library its registry key names where that exists, in reverse order (a home without
    // a VM of its own becomes that library's candidate in place); moves candidates that have no
    // VM to `withoutVm` (when given); keeps only the first candidate of each VM library.
    void separateClientAndServerJvms(std::vector<JVM>& jvms, std::vector<JVM>* withoutVm = nullptr) const;

    // Marks unacceptable, with the reason, candidates of another machine than the launcher's,
    // without a version, or outside the version bounds, and gives each its comparable version
    // followed by the two rank parts, the stronger preference's first.
    void determineJvmVersions(std::vector<JVM>& jvms) const;

    // Drops the unacceptable candidates; the others keep their order.
    void removeUnacceptableJvms(std::vector<JVM>& jvms) const;

    // True when `a`'s comparable version orders below `b`'s.
    static bool isLowerComparableVersion(const JVM& a, const JVM& b);

private:
    JvmChoice chooseInstalledJvm() const;
    bool isBundlePartFirst() const;
    void explainRefusal(JVM& jvm) const;

    const VmChoiceSettings m_settings;
};
