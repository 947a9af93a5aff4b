// Java installations of a test's own, in a temporary folder that the registry view on Linux
// presents instead of /usr/lib/jvm while the object lives. Meanwhile JAVA_HOME is unset and HOME
// is the folder's "home" subfolder, so that no Java of the machine's own is found.
#pragma once

#include <cstdlib>
#include <optional>
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
    FakeInstallations() : m_previous(platform::setJavaInstallationsFolder(m_dir.path())) {
        setenv("HOME", toUtf8(m_home.path()).c_str(), 1);
        unsetenv("JAVA_HOME");
    }
    ~FakeInstallations() {
        platform::setJavaInstallationsFolder(m_previous);
        restore("HOME", m_previousHome);
        restore("JAVA_HOME", m_previousJavaHome);
    }
    FakeInstallations(const FakeInstallations&) = delete;
    FakeInstallations& operator=(const FakeInstallations&) = delete;

    // The folder that HOME names meanwhile.
    const TempDir& home() const { return m_home; }

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
    static std::optional<std::string> variable(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& value) {
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

    TempDir m_dir;
    TempDir m_home;
    std::optional<std::string> m_previousHome = variable("HOME");
    std::optional<std::string> m_previousJavaHome = variable("JAVA_HOME");
    std::wstring m_previous;
};

}  // namespace jvmtest
