// Fuzz target: a whole configuration file, read and applied as the launcher does, then the
// launch figures derived from it. Everything the file may reach lies in a sandbox folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzReport.h"
#include "config/ClassAndLibraryPath.h"
#include "config/ConfigurationPasses.h"
#include "config/ConfigurationText.h"
#include "config/Properties.h"
#include "config/PropertyValueVariables.h"
#include "launcher/JVMLauncher.h"
#include "platform/TextEncoding.h"
#include "platform/posix/JavaInstallations.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

namespace {

namespace fs = std::filesystem;

// The sandbox: the launcher's folder, the caller's folder and the current folder, with a few jars
// and library folders and one Java installation, which the registry view presents instead of
// /usr/lib/jvm.
fs::path& sandbox() {
    static fs::path folder;
    return folder;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void createSandbox() {
    std::string pattern = (fs::temp_directory_path() / "wexal-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    const fs::path root = sandbox() = pattern;
    for (const char* jar : {"lib/app.jar", "lib/Util.JAR", "lib/plugins/one.jar", "lib/plugins/deep/two.jar"}) writeFile(root / jar, "");
    writeFile(root / "lib/readme.txt", "");
    fs::create_directories(root / "native/linux-x64");
    writeFile(root / "splash.png", "");
    writeFile(root / "jvm/jdk-17/release", "JAVA_VERSION=\"17.0.2\"\n");
    writeFile(root / "jvm/jdk-17/bin/javac", "");
    writeFile(root / "jvm/jdk-17/lib/server/libjvm.so", "");
    writeFile(root / "jvm/jre-11/release", "JAVA_VERSION=\"11.0.20\"\n");
    writeFile(root / "jvm/jre-11/lib/client/libjvm.so", "");
    platform::setJavaInstallationsFolder(root.wstring() + L"/jvm");
    // Relative folders of the file are read against the current folder.
    if (chdir(root.c_str()) != 0) std::abort();
    std::atexit([] { fs::remove_all(sandbox()); });
}

// Whether a value, once expanded, names nothing outside the sandbox: no "..", an absolute path
// only below the sandbox, and wildcards only in the last component (a wildcard matches "..").
bool staysInSandbox(const std::wstring& value) {
    if (value.find(L"..") != std::wstring::npos) return false;
    const std::size_t wildcard = value.find_first_of(L"*?");
    if (wildcard != std::wstring::npos && value.find(L'/', wildcard) != std::wstring::npos) return false;
    if (value.empty() || value[0] != L'/') return true;
    const std::wstring root = sandbox().wstring();
    return value == root || startsWith(value, root + L"/");
}

// Whether every value of the file stays in the sandbox, judged on the entries expanded in
// advance. A scan of "/" would read the whole disk, so such inputs are not tried. The Java home
// of the choice is unknown here and expands to nothing, the stricter reading: the real one is an
// absolute path in the sandbox. A file the preview cannot read is not tried either.
bool fileStaysInSandbox(const std::string& bytes, const Properties& properties) {
    try {
        const PropertyValueVariables variables(properties);
        for (PropertyFileEntry& entry : readEntries(decodeConfigurationText(bytes), L"app.lap")) {
            const std::wstring& text = variables.resolveVariables(entry.getLine());
            if (Properties::isJvmOption(text)) continue;
            std::wstring value = parsePropertyValue(text);
            trim(value);
            if (!staysInSandbox(value)) return false;
        }
        return true;
    } catch (const FuzzReport&) {
        return false;
    }
}

// What the launch derives from the configuration before it loads the VM; aborts when a loaded
// configuration has no VM, an initial heap above the maximum, or an unchecked maximum beyond
// 2147483647 KB.
void deriveLaunchFigures(Properties& properties) {
    if (!properties.getFoundJvm()) std::abort();
    properties.computeMemoryOptions();
    if (properties.getMemoryInit() > properties.getMemoryMax()) std::abort();
    // Without the address-space check the maximum never exceeds what a 32-bit VM option can say.
    if (!properties.isMemoryCheckLimits() && properties.getMemoryMax() > 2147483647) std::abort();
    completePathOptions(properties);
    vmMainThreadStack(properties.getJavaSystemProperties());
    properties.getMainClass();
    properties.getMainArguments();
    properties.toString();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    createSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The error report's settings outlive a file, as in the program, where there is one file.
    setDefaultErrorText(L"Error in Java launcher.");
    setShowErrorDetail(true);
    Properties properties;
    properties.setFullPathAndNameOfExe(sandbox().wstring() + L"/app");
    properties.setCallerDir(sandbox().wstring());
    properties.setNumberOfCommandLineArguments(2);
    properties.setCommandLineArgument(L"--first", 0);
    properties.setCommandLineArgument(L"", 1);
    if (!fileStaysInSandbox(bytes, properties)) return -1;
    writeFile(sandbox() / "app.lap", bytes);
    try {
        loadConfiguration(properties);
        deriveLaunchFigures(properties);
    } catch (const FuzzReport&) {
        // A reported failure ends the launch; the report itself is the expected outcome.
    }
    return 0;
}
