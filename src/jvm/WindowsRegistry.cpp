// Candidates from the registry's keys of installed Javas.
#include "jvm/WindowsRegistry.h"

#include <cstdint>
#include <optional>

#include "jvm/InstallationFacts.h"
#include "report/ErrorReport.h"

namespace {

const wchar_t* const kRegistryFailure = L"Error getting JVM paths from registry.";

std::optional<platform::JavaHomeListing> javaHomeListing(const std::wstring& javaHome) {
    std::optional<std::wstring> version = installedJavaVersion(javaHome);
    if (!version) return std::nullopt;
    return platform::JavaHomeListing{std::move(*version), hasJavaCompiler(javaHome)};
}

}  // namespace

WindowsRegistry::WindowsRegistry() : WindowsRegistry(platform::RegistryRoot::LocalMachine, platform::RegistryView::Own) {}

WindowsRegistry::WindowsRegistry(platform::RegistryRoot root, platform::RegistryView view) : m_root(root), m_view(view) {
    platform::setJavaHomeReader(javaHomeListing);
}

void WindowsRegistry::addSdkJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const {
    addLayoutJvms(jvms, RegistryLayout{keyPath.c_str(), L"", L"JavaHome", L"sdk"});
}

void WindowsRegistry::addJreJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const {
    addLayoutJvms(jvms, RegistryLayout{keyPath.c_str(), L"", L"JavaHome", L"jre"});
}

void WindowsRegistry::addLayoutJvms(std::vector<JVM>& jvms, const RegistryLayout& layout) const {
    reportFailures(kRegistryFailure, [&] {
        const std::wstring keyPath = layout.key;
        const std::optional<platform::RegistryKey> key = platform::RegistryKey::open(m_root, m_view, keyPath);
        if (!key) return;
        // Key paths use the registry's own separator, whatever the platform.
        const std::wstring subPath = *layout.subPath ? L"\\" + std::wstring(layout.subPath) : L"";
        // The enumeration ends at the first index the registry does not answer.
        for (std::uint32_t index = 0;; ++index) {
            const std::optional<std::wstring> version = key->subkeyName(index);
            if (!version) return;
            if (version->empty()) continue;
            const std::wstring installationKey = keyPath + L"\\" + *version + subPath;
            const std::wstring javaHome = getStringValue(installationKey, layout.valueName);
            if (javaHome.empty()) continue;
            JVM jvm;
            jvm.setJavaBundle(layout.bundle);
            jvm.setJavaHomePath(javaHome);
            jvm.setVersion(*version);
            if (layout.libraryValueName) jvm.setRuntimeLibrary(getStringValue(installationKey, layout.libraryValueName));
            jvms.push_back(std::move(jvm));
        }
    });
}

std::wstring WindowsRegistry::getStringValue(const std::wstring& keyPath, const std::wstring& valueName) const {
    return reportFailures(kRegistryFailure, [&]() -> std::wstring {
        const std::optional<platform::RegistryKey> key = platform::RegistryKey::open(m_root, m_view, keyPath);
        if (!key) return {};
        return key->stringValue(valueName).value_or(std::wstring());
    });
}
