// Chooses the Java VM to load: the configured VM library, else the configured Java home, else the
// best of the registry's installations under the configured version bounds and preferences.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jvm/JVM.h"
#include "jvm/VmChoiceSettings.h"

class JVMSelector {
public:
    // Chooses by `settings`, a copy of the configuration's at the moment of the choice.
    explicit JVMSelector(VmChoiceSettings settings);

    // The chosen candidate; reports "No acceptable JVMs were found." when the registry route
    // leaves none, and the routes' own messages when a configured path does not lead to a VM.
    JVM getMostAppropriateJvm() const;

    // A candidate holding only the configured VM library path; nothing when none is configured.
    // Reports "This JVM file could not be found: " + path when it does not exist.
    std::optional<JVM> getJvmFromCustomJvmPath() const;

    // The client or server VM of the configured Java home, as the VM type setting asks; nothing
    // when no Java home is configured. Reports a message naming the home when none is found.
    std::optional<JVM> getJvmFromCustomJavaHomePath() const;

    // The VM of type `type` under `javaHome`, or else under its "jre" folder (which then becomes
    // the candidate's Java home); nothing when neither exists.
    std::optional<JVM> getJvmFromJavaHomePathAndJvmType(const std::wstring& javaHome, const std::wstring& type) const;

    // Appends the registry's development kits, then its runtimes.
    void locateJvms(std::vector<JVM>& jvms) const;

    // Types every candidate as its client VM where that exists, else its server VM; appends a
    // server copy of each installation that has both, in reverse order; drops candidates that
    // have neither.
    void separateClientAndServerJvms(std::vector<JVM>& jvms) const;

    // Marks candidates outside the version bounds unacceptable and gives each its comparable
    // version followed by the two rank parts, the stronger preference's first.
    void determineJvmVersions(std::vector<JVM>& jvms) const;

    // Drops the unacceptable candidates; the others keep their order.
    void removeUnacceptableJvms(std::vector<JVM>& jvms) const;

    // True when `a`'s comparable version orders below `b`'s.
    static bool isLowerComparableVersion(const JVM& a, const JVM& b);

private:
    JVM getJvmFromRegistry() const;
    bool isBundlePartFirst() const;

    const VmChoiceSettings m_settings;
};
