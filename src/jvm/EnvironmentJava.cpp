// The Java home of the JAVA_HOME environment variable.
#include "jvm/EnvironmentJava.h"

#include <optional>
#include <string>

#include "platform/Process.h"

namespace {

// `value` without one pair of double quotes around it: scripts often set JAVA_HOME="C:\Program
// Files\Java\jdk-21" with the quotes, which no folder name holds.
std::wstring withoutSurroundingQuotes(const std::wstring& value) {
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

void addJavaHomeVariableJvm(std::vector<JVM>& jvms) {
    const std::optional<std::wstring> variable = platform::environmentVariable(L"JAVA_HOME");
    if (!variable) return;
    const std::wstring javaHome = withoutSurroundingQuotes(*variable);
    if (javaHome.empty()) return;
    JVM jvm;
    jvm.setJavaHomePath(javaHome);
    jvms.push_back(std::move(jvm));
}
