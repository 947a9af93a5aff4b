// The launcher's top level: the configuration built once, then the launch with it.
#include "launcher/Launcher.h"

#include <cstdint>

#include "config/ConfigurationPasses.h"
#include "config/Properties.h"
#include "launcher/JVMLauncher.h"
#include "platform/Files.h"
#include "report/ErrorReport.h"

namespace {

// The directory the user started the program from, read as the program starts, before the
// launcher changes it.
const std::wstring startupDirectory = platform::currentDirectory().value_or(L"");

}  // namespace

int runLauncher(const std::vector<std::wstring>& arguments) {
    return reportFailuresWithDefaultText([&] {
        Properties properties = createProperties(arguments);
        launchProgram(properties);
        return 0;
    });
}

Properties createProperties(const std::vector<std::wstring>& arguments) {
    return reportFailuresWithDefaultText([&] {
        Properties properties;
        properties.setFullPathAndNameOfExe(arguments.front());
        properties.setCallerDir(startupDirectory);
        // From here on relative paths in the configuration resolve against the home folder; if
        // the change fails they resolve against the start-up directory.
        platform::changeDirectory(properties.getSelfHomePath());
        const auto commandLineCount = static_cast<std::uint32_t>(arguments.size() - 1);
        properties.setNumberOfCommandLineArguments(commandLineCount);
        for (std::uint32_t i = 0; i < commandLineCount; ++i) properties.setCommandLineArgument(arguments[i + 1], i);
        loadConfiguration(properties);
        return properties;
    });
}

void launchProgram(Properties& properties, ProgramKind kind) {
    reportFailuresWithDefaultText([&] {
        if (kind == ProgramKind::windowed && !properties.getServiceName().empty()) {
            throw LaunchError{L"Use the WexalConsole32.exe or WexalConsole64.exe for Windows services."};
        }
        JVMLauncher launcher(properties);
        launcher.launch();
    });
}
