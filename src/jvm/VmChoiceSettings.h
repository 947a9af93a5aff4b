// The settings that steer the choice of the Java VM, as one value: the configuration builds it at
// the moment of the choice, and the choice reads nothing else of the configuration.
#pragma once

#include <string>

#include "jvm/InstallationFacts.h"

struct VmChoiceSettings {
    std::wstring javaHomePath;    // a configured Java home that exists; empty when none
    std::wstring jvmPath;         // a configured VM library that exists; empty when none
    std::wstring binJvmDir;       // the VM type word, e.g. "prefer_server", "require_client"
    std::wstring javaBundle;      // the bundle word, e.g. "prefer_jre", "require_sdk"
    std::wstring minJavaVersion;  // the inclusive bounds of the version; empty when unbounded
    std::wstring maxJavaVersion;
    VmMachine machine = launcherMachine();  // the machine whose VM libraries the launcher can load

    // True for "require_client" and "require_server".
    bool isBinJvmDirRequired() const;
    // True for "prefer_jre" and "prefer_sdk".
    bool isJavaBundlePreferred() const;
    // True for "require_jre" and "require_sdk".
    bool isJavaBundleRequired() const;
    // True when there is no bound, or `version` is not below the minimum (not above the maximum)
    // by the comparable versions.
    bool meetsMinJavaVersion(const std::wstring& version) const;
    bool meetsMaxJavaVersion(const std::wstring& version) const;
};
