// Expansion of variable references in configuration values.
#include "config/PropertyValueVariables.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "config/Properties.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

namespace {

constexpr wchar_t kOpener[] = L"${";
constexpr std::size_t kOpenerLength = 2;
constexpr wchar_t kCloser = L'}';
constexpr wchar_t kLateVariable[] = L"FOUND_JAVA_HOME";
constexpr wchar_t kEnvironmentPrefix[] = L"env.";

// Where a complete reference lies: its "${" and the first "}" after it.
struct Reference {
    std::size_t opener;
    std::size_t closer;
};

// The first complete reference of `text` whose opener lies at or after `position`; none when
// there is no opener there or the first one has no closer.
std::optional<Reference> findReference(const std::wstring& text, std::size_t position) {
    const std::size_t opener = text.find(kOpener, position);
    if (opener == std::wstring::npos) return std::nullopt;
    const std::size_t closer = text.find(kCloser, opener + kOpenerLength);
    if (closer == std::wstring::npos) return std::nullopt;
    return Reference{opener, closer};
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
    return findReference(text, 0).has_value();
}

bool PropertyValueVariables::containsLateVariables(const std::wstring& text) const {
    return reportAnyFailureAs(L"Error while determining if property contains late variables.", [&] {
        for (auto reference = findReference(text, 0); reference; reference = findReference(text, reference->closer)) {
            // Unlike expansion, this test forgives white space before the name too.
            const std::size_t nameBegin = reference->opener + kOpenerLength;
            std::wstring name = text.substr(nameBegin, reference->closer - nameBegin);
            trim(name);
            if (name == kLateVariable) return true;
        }
        return false;
    });
}

std::wstring& PropertyValueVariables::resolveVariables(std::wstring& text) const {
    return reportAnyFailureAs(L"Error resolving property variables.", [&]() -> std::wstring& {
        std::size_t position = 0;
        while (const std::optional<Reference> found = findReference(text, position)) {
            // The reference begins with "$", so trimming removes only white space after the name.
            std::wstring reference = text.substr(found->opener, found->closer - found->opener);
            trim(reference);
            const std::wstring value = getVariableValue(reference);
            text.replace(found->opener, found->closer + 1 - found->opener, value);
            // Scanning resumes after the value: inserted text is never expanded again.
            position = found->opener + value.size();
        }
        return text;
    });
}

std::wstring PropertyValueVariables::getVariableValue(const std::wstring& reference) const {
    return reportAnyFailureAs(L"Error getting value from property variable.", [&] {
        return valueOf(reference.substr(std::min(reference.size(), kOpenerLength)), m_properties);
    });
}
