// Java installations of a test's own, in a temporary folder that the registry view on Linux
// presents instead of /usr/lib/jvm while the object lives.
#pragma once

#include <string>
#include <vector>

#include "platform/TextEncoding.h"
#include "platform/posix/JavaInstallations.h"
#include "support/TempDir.h"

namespace jvmtest {

struct FakeInstallation {
    std::wstring name;              // the directory's name
    std::wstring version;           // its release file's JAVA_VERSION
    bool sdk;                       // whether it has bin/javac
    std::vector<std::wstring> vms;  // VM types with a lib/<type>/libjvm.so
};

class FakeInstallations {
public:
    FakeInstallations() : m_previous(platform::setJavaInstallationsFolder(m_dir.path())) {}
    ~FakeInstallations() { platform::setJavaInstallationsFolder(m_previous); }
    FakeInstallations(const FakeInstallations&) = delete;
    FakeInstallations& operator=(const FakeInstallations&) = delete;

    // The presented folder, and its name as UTF-8.
    const std::wstring& folder() const { return m_dir.path(); }
    std::string folderUtf8() const { return toUtf8(m_dir.path()); }

    // Creates a file (and its folders) `relative` to the presented folder.
    void writeFile(const std::wstring& relative, const std::string& bytes) const { m_dir.writeFile(relative, bytes); }

    // Creates the installation; returns its Java home.
    std::wstring add(const FakeInstallation& installation) const {
        const std::wstring& name = installation.name;
        writeFile(name + L"/release", "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" + toUtf8(installation.version) + "\"\n");
        if (installation.sdk) writeFile(name + L"/bin/javac", "");
        for (const std::wstring& type : installation.vms) writeFile(name + L"/lib/" + type + L"/libjvm.so", "");
        return m_dir / name;
    }

private:
    TempDir m_dir;
    std::wstring m_previous;
};

}  // namespace jvmtest
