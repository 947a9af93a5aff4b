// The tests of the VM choice settings: required and preferred words, and the version bounds.
#include "jvm/VmChoiceSettings.h"

#include "jvm/JVM.h"
#include "report/ErrorReport.h"

bool VmChoiceSettings::isBinJvmDirRequired() const {
    return binJvmDir == L"require_client" || binJvmDir == L"require_server";
}

bool VmChoiceSettings::isJavaBundlePreferred() const {
    return javaBundle == L"prefer_jre" || javaBundle == L"prefer_sdk";
}

bool VmChoiceSettings::isJavaBundleRequired() const {
    return javaBundle == L"require_jre" || javaBundle == L"require_sdk";
}

bool VmChoiceSettings::meetsMinJavaVersion(const std::wstring& version) const {
    return reportFailures(L"Error checking if version is greater than the min version.", [&] {
        if (minJavaVersion.empty()) return true;
        return !isLowerComparable(getComparableVersion(version), getComparableVersion(minJavaVersion));
    });
}

bool VmChoiceSettings::meetsMaxJavaVersion(const std::wstring& version) const {
    return reportFailures(L"Error checking if version is less than the max version.", [&] {
        if (maxJavaVersion.empty()) return true;
        return !isLowerComparable(getComparableVersion(maxJavaVersion), getComparableVersion(version));
    });
}
