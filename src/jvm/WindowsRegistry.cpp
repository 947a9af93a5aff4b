// Candidates from the registry's JavaSoft keys.
#include "jvm/WindowsRegistry.h"

#include <cstdint>
#include <optional>

#include "platform/Registry.h"
#include "report/ErrorReport.h"

namespace {

const wchar_t* const kRegistryFailure = L"Error getting JVM paths from registry.";

}  // namespace

void WindowsRegistry::addSdkJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const {
    addJvms(jvms, keyPath, L"sdk");
}

void WindowsRegistry::addJreJvms(std::vector<JVM>& jvms, const std::wstring& keyPath) const {
    addJvms(jvms, keyPath, L"jre");
}

void WindowsRegistry::addJvms(std::vector<JVM>& jvms, const std::wstring& keyPath, const wchar_t* bundle) const {
    reportFailures(kRegistryFailure, [&] {
        const std::optional<platform::RegistryKey> key = platform::RegistryKey::open(keyPath);
        if (!key) return;
        // The enumeration ends at the first index the registry does not answer.
        for (std::uint32_t index = 0;; ++index) {
            const std::optional<std::wstring> version = key->subkeyName(index);
            if (!version) return;
            if (version->empty()) continue;
            // Key paths use the registry's own separator, whatever the platform.
            const std::wstring javaHome = getStringValue(keyPath + L"\\" + *version, L"JavaHome");
            if (javaHome.empty()) continue;
            JVM jvm;
            jvm.setJavaBundle(bundle);
            jvm.setJavaHomePath(javaHome);
            jvm.setVersion(*version);
            jvms.push_back(std::move(jvm));
        }
    });
}

std::wstring WindowsRegistry::getStringValue(const std::wstring& keyPath, const std::wstring& valueName) const {
    return reportFailures(kRegistryFailure, [&]() -> std::wstring {
        const std::optional<platform::RegistryKey> key = platform::RegistryKey::open(keyPath);
        if (!key) return {};
        return key->stringValue(valueName).value_or(std::wstring());
    });
}
