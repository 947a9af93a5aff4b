// The Java home of the JAVA_HOME environment variable.
#include "jvm/EnvironmentJava.h"

#include <optional>
#include <string>

#include "platform/Process.h"

void addJavaHomeVariableJvm(std::vector<JVM>& jvms) {
    const std::optional<std::wstring> javaHome = platform::environmentVariable(L"JAVA_HOME");
    if (!javaHome || javaHome->empty()) return;
    JVM jvm;
    jvm.setJavaHomePath(*javaHome);
    jvms.push_back(std::move(jvm));
}
