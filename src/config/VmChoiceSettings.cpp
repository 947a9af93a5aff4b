// The configuration's tests of the VM choice settings: required and preferred words, and the
// version bounds.
#include "config/Properties.h"

#include "jvm/JVM.h"
#include "launcher/ErrorReport.h"

bool Properties::isBinJvmDirRequired() const {
    return m_customBinJvmDir == L"require_client" || m_customBinJvmDir == L"require_server";
}

bool Properties::isJavaBundlePreferred() const {
    return m_javaBundlePreference == L"prefer_jre" || m_javaBundlePreference == L"prefer_sdk";
}

bool Properties::isJavaBundleRequired() const {
    return m_javaBundlePreference == L"require_jre" || m_javaBundlePreference == L"require_sdk";
}

bool Properties::meetsMinJavaVersion(const std::wstring& version) const {
    return reportFailures(L"Error checking if version is greater than the min version.", [&] {
        if (m_minJavaVersion.empty()) return true;
        return !isLowerComparable(getComparableVersion(version), getComparableVersion(m_minJavaVersion));
    });
}

bool Properties::meetsMaxJavaVersion(const std::wstring& version) const {
    return reportFailures(L"Error checking if version is less than the max version.", [&] {
        if (m_maxJavaVersion.empty()) return true;
        return !isLowerComparable(getComparableVersion(m_maxJavaVersion), getComparableVersion(version));
    });
}
