// Fuzz target: variable references in configuration values, expanded against a configuration
// whose own values hold references, which must never be expanded again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzReport.h"
#include "config/Properties.h"
#include "config/PropertyValueVariables.h"
#include "platform/TextEncoding.h"

namespace {

// A configuration whose folders name variables: an expansion that went over inserted text again
// would grow without end.
Properties& configuration() {
    static Properties properties = [] {
        Properties made;
        made.setFullPathAndNameOfExe(L"/opt/${SELF_HOME}/bin/${FOUND_EXE_FOLDER}/app");
        made.setCallerDir(L"/home/${CALLER_DIR}${");
        auto jvm = std::make_shared<JVM>();
        jvm->setJavaHomePath(L"/usr/lib/jvm/${FOUND_JAVA_HOME}}");
        made.setFoundJvm(jvm);
        return made;
    }();
    return properties;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = fromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    const PropertyValueVariables variables(configuration());
    try {
        const bool hasVariables = variables.containsVariables(text);
        // A late reference is a reference.
        if (variables.containsLateVariables(text) && !hasVariables) std::abort();
        std::wstring expanded = text;
        variables.resolveVariables(expanded);
        // Text without a complete reference stays as it is.
        if (!hasVariables && expanded != text) std::abort();
        variables.getVariableValue(text);
    } catch (const FuzzReport&) {
        // Each operation reports its own failures; a report is an outcome, not a fault.
    }
    return 0;
}
