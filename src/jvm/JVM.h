// One candidate Java VM: where its VM library lies, the Java home it belongs to, runtime or
// development kit, client or server, its version and whether it meets the configured constraints.
#pragma once

#include <string>

#include "jvm/InstallationFacts.h"

class JVM {
public:
    // Member-wise copies, compiled once rather than inline at every use of the record.
    JVM();
    JVM(const JVM& other);
    JVM(JVM&& other) noexcept;
    JVM& operator=(const JVM& other);
    JVM& operator=(JVM&& other) noexcept;
    ~JVM();

    const std::wstring& getJavaBundle() const { return m_javaBundle; }
    void setJavaBundle(const std::wstring& bundle) { m_javaBundle = bundle; }
    const std::wstring& getBinJvmDir() const { return m_binJvmDir; }
    void setBinJvmDir(const std::wstring& type) { m_binJvmDir = type; }
    const std::wstring& getVersion() const { return m_version; }
    void setVersion(const std::wstring& version) { m_version = version; }
    const std::wstring& getComparableVersion() const { return m_comparableVersion; }
    void setComparableVersion(const std::wstring& version) { m_comparableVersion = version; }
    const std::wstring& getJvmPath() const { return m_jvmPath; }
    void setJvmPath(const std::wstring& path) { m_jvmPath = path; }
    const std::wstring& getJavaHomePath() const { return m_javaHomePath; }
    void setJavaHomePath(const std::wstring& path) { m_javaHomePath = path; }
    bool isAcceptable() const { return m_acceptable; }
    void setAcceptable(bool acceptable) { m_acceptable = acceptable; }
    // The processor and width of the VM library, read from its header; unknown until typed.
    const VmMachine& getVmMachine() const { return m_vmMachine; }
    void setVmMachine(const VmMachine& machine) { m_vmMachine = machine; }
    // Why the candidate is not acceptable, for the user; empty while no reason is known.
    const std::wstring& getRefusal() const { return m_refusal; }
    // The VM library a registry key names for the installation itself, which may lie where no
    // layout looks; empty when none is named.
    const std::wstring& getRuntimeLibrary() const { return m_runtimeLibrary; }
    void setRuntimeLibrary(const std::wstring& path) { m_runtimeLibrary = path; }

    // Makes the candidate unacceptable for `reason`; the first reason given is kept.
    void refuse(const std::wstring& reason);

    // Fixes the folder of VM types (ending in a separator) that `getJrePath` returns, for a home
    // whose VMs lie where another Java generation keeps them.
    void setJrePath(const std::wstring& folder) { m_jrePath = folder; }

    // The folder that holds the VM types, ending in a separator; computed once from the Java home
    // and the bundle, then cached. Fails when the bundle is neither "jre" nor "sdk".
    std::wstring getJrePath();

    // The VM library of the VM type `type` ("client" or "server") under this candidate.
    std::wstring getJvmDllPath(const std::wstring& type);

    // A new record carrying only the Java home, the bundle, the version and the reason of a
    // refusal (the installation's, such as an unreadable release file), if any.
    JVM cloneForOtherJvmType() const;

    // Append the bundle ("B<rank>.") and the VM type ("D<rank>.") rank parts to the comparable
    // version for the configured setting; a "require_" setting the candidate does not meet makes
    // it unacceptable.
    void adjustComparableVersionByBundle(const std::wstring& setting);
    void adjustComparableVersionByBinJvmDir(const std::wstring& setting);

    // The one-line debug description.
    std::wstring toString() const;

private:
    std::wstring m_javaBundle;
    std::wstring m_binJvmDir;
    std::wstring m_version;
    std::wstring m_comparableVersion;
    std::wstring m_jvmPath;
    std::wstring m_javaHomePath;
    std::wstring m_jrePath;
    bool m_acceptable = true;
    VmMachine m_vmMachine;
    std::wstring m_refusal;
    std::wstring m_runtimeLibrary;
};

// The ordering key of a version text: four components, each padded with zeros to three
// characters and followed by ".".
std::wstring getComparableVersion(const std::wstring& version);

// True when comparable version `a` orders below `b`. The pieces between "." are compared in turn:
// their leading digits as numbers whatever their count, then what follows them, where a "+build"
// part is ignored and a "-" pre-release part orders below none; pieces that do not start with a
// digit compare as text (code unit by code unit, as unsigned 16-bit values). When all pieces
// match, the one with fewer pieces is lower.
bool isLowerComparable(const std::wstring& a, const std::wstring& b);

// The order of two comparable versions by the same rules: negative, 0 or positive.
int compareComparableVersions(const std::wstring& a, const std::wstring& b);
