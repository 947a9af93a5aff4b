// Expansion of variable references in configuration values.
#include "config/PropertyValueVariables.h"

#include <algorithm>
#include <iterator>

#include "config/Properties.h"
#include "launcher/ErrorReport.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "util/Text.h"

namespace {

constexpr wchar_t kOpener[] = L"${";
constexpr std::size_t kOpenerLength = 2;
constexpr wchar_t kCloser = L'}';
constexpr wchar_t kLateVariable[] = L"FOUND_JAVA_HOME";
constexpr wchar_t kEnvironmentPrefix[] = L"env.";

// The position of the first "}" after the opener at `opener`, or npos.
std::size_t closerAfter(const std::wstring& text, std::size_t opener) {
    return text.find(kCloser, opener + kOpenerLength);
}

// `path` up to its last separator; the whole path when it has none.
std::wstring folderOf(const std::wstring& path) {
    const std::size_t separator = path.rfind(platform::kPathSeparator);
    return separator == std::wstring::npos ? path : path.substr(0, separator);
}

std::wstring environmentValue(const std::wstring& name) {
    if (name.empty()) return {};
    return platform::environmentVariable(name).value_or(std::wstring());
}

// The value of the variable `name`, read from `properties` now; empty for an unknown name.
std::wstring valueOf(const std::wstring& name, const Properties& properties) {
    if (name == kLateVariable) {
        const auto& jvm = properties.getFoundJvm();
        return jvm ? jvm->getJavaHomePath() : std::wstring();
    }
    if (startsWith(name, kEnvironmentPrefix)) return environmentValue(name.substr(std::size(kEnvironmentPrefix) - 1));
    if (name == L"SELF_HOME") return properties.getSelfHomePath();
    if (name == L"FOUND_EXE_FOLDER") return folderOf(properties.getFullPathAndNameOfExe());
    if (name == L"CALLER_DIR") return properties.getCallerDir();
    if (name == L"EXE_BITNESS") return properties.getExeBitness();
    if (name == L"OS_BITNESS") return properties.getOperatingSystemBitness();
    return {};
}

}  // namespace

PropertyValueVariables::PropertyValueVariables(const Properties& properties) : m_properties(properties) {}

bool PropertyValueVariables::containsVariables(const std::wstring& text) const {
    const std::size_t opener = text.find(kOpener);
    return opener != std::wstring::npos && closerAfter(text, opener) != std::wstring::npos;
}

bool PropertyValueVariables::containsLateVariables(const std::wstring& text) const {
    return reportAnyFailureAs(L"Error while determining if property contains late variables.", [&] {
        std::size_t position = 0;
        for (;;) {
            const std::size_t opener = text.find(kOpener, position);
            if (opener == std::wstring::npos) return false;
            const std::size_t closer = closerAfter(text, opener);
            if (closer == std::wstring::npos) return false;
            // Unlike expansion, this test forgives white space before the name too.
            std::wstring name = text.substr(opener + kOpenerLength, closer - opener - kOpenerLength);
            trim(name);
            if (name == kLateVariable) return true;
            position = closer;
        }
    });
}

std::wstring& PropertyValueVariables::resolveVariables(std::wstring& text) const {
    return reportAnyFailureAs(L"Error resolving property variables.", [&]() -> std::wstring& {
        std::size_t position = 0;
        for (;;) {
            const std::size_t opener = text.find(kOpener, position);
            if (opener == std::wstring::npos) return text;
            const std::size_t closer = closerAfter(text, opener);
            if (closer == std::wstring::npos) return text;
            // The reference begins with "$", so trimming removes only white space after the name.
            std::wstring reference = text.substr(opener, closer - opener);
            trim(reference);
            const std::wstring value = getVariableValue(reference);
            text.replace(opener, closer + 1 - opener, value);
            // Scanning resumes after the value: inserted text is never expanded again.
            position = opener + value.size();
        }
    });
}

std::wstring PropertyValueVariables::getVariableValue(const std::wstring& reference) const {
    return reportAnyFailureAs(L"Error getting value from property variable.", [&] {
        return valueOf(reference.substr(std::min(reference.size(), kOpenerLength)), m_properties);
    });
}
