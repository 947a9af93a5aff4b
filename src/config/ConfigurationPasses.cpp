// The configuration's keys, and the passes that apply the file's entries to the model.
#include "config/ConfigurationPasses.h"

#include <memory>
#include <string>
#include <utility>

#include "config/ConfigurationText.h"
#include "config/Properties.h"
#include "config/PropertiesCustom.h"
#include "config/PropertiesFile.h"
#include "config/PropertyValueVariables.h"
#include "jvm/JVMSelector.h"
#include "platform/Files.h"
#include "report/ErrorReport.h"
#include "util/Text.h"

namespace {

// Keys whose value goes unchanged to one setter.
using TextSetter = void (Properties::*)(const std::wstring&);
struct TextKey {
    const wchar_t* name;
    TextSetter set;
};
const TextKey kTextKeys[] = {
    {L"wexal.main.class", &Properties::setMainClass},
    {L"wexal.java.bundle", &Properties::setJavaBundle},
    {L"wexal.bin.jvm.dir", &Properties::setBinJvmDir},
    {L"wexal.jvm.path", &Properties::setJvmPath},
    {L"wexal.java.home.path", &Properties::setJavaHomePath},
    {L"wexal.min.java.version", &Properties::setMinJavaVersion},
    {L"wexal.max.java.version", &Properties::setMaxJavaVersion},
    {L"wexal.memory.max.available.percent", &Properties::setMemoryMaxAvailablePercent},
    {L"wexal.memory.max.total.percent", &Properties::setMemoryMaxTotalPercent},
    {L"wexal.memory.max.upper.limit", &Properties::setMemoryMaxUpperLimit},
    {L"wexal.memory.max.lower.limit", &Properties::setMemoryMaxLowerLimit},
    {L"wexal.memory.init.available.percent", &Properties::setMemoryInitAvailablePercent},
    {L"wexal.memory.init.total.percent", &Properties::setMemoryInitTotalPercent},
    {L"wexal.memory.init.upper.limit", &Properties::setMemoryInitUpperLimit},
    {L"wexal.memory.init.lower.limit", &Properties::setMemoryInitLowerLimit},
    {L"wexal.memory.check.limits", &Properties::setMemoryCheckLimits},
    {L"wexal.sysprop.process.id", &Properties::setSyspropProcessId},
    {L"wexal.splash", &Properties::setSplash},
    {L"wexal.startup.cache", &Properties::setStartupCache},
    {L"wexal.startup.cache.dir", &Properties::setStartupCacheDir},
    {L"wexal.trap.console.ctrl", &Properties::setTrapConsoleCtrl},
    {L"wexal.working.dir", &Properties::setWorkingDir},
    {L"wexal.debug.file", &Properties::setDebugFile},
    {L"wexal.error.default.text", &Properties::setErrorDefaultText},
    {L"wexal.error.show.detail", &Properties::setErrorShowDetail},
    {L"wexal.service.name", &Properties::setServiceName},
    {L"wexal.service.display.name", &Properties::setServiceDisplayName},
    {L"wexal.service.description", &Properties::setServiceDescription},
    {L"wexal.service.option.install", &Properties::setServiceOptionInstall},
    {L"wexal.service.option.uninstall", &Properties::setServiceOptionUninstall},
    {L"wexal.service.stop.timeout", &Properties::setServiceStopTimeout},
    {L"wexal.service.account", &Properties::setServiceAccount},
    {L"wexal.service.start", &Properties::setServiceStart},
    {L"wexal.service.dependencies", &Properties::setServiceDependencies},
    {L"wexal.service.restart.delay", &Properties::setServiceRestartDelay},
    {L"wexal.service.log.dir", &Properties::setServiceLogDir},
    {L"wexal.service.log.max.size", &Properties::setServiceLogMaxSize},
    {L"wexal.service.log.keep", &Properties::setServiceLogKeep},
};

// Keys that add a folder to the class path or the library path.
using DirectoryAdder = void (Properties::*)(std::wstring, bool);
struct DirectoryKey {
    const wchar_t* name;
    DirectoryAdder add;
    bool recursive;
};
const DirectoryKey kDirectoryKeys[] = {
    {L"wexal.classpath.jars.dir", &Properties::addJarsToClasspath, false},
    {L"wexal.classpath.jars.dir.recursive", &Properties::addJarsToClasspath, true},
    {L"wexal.library.path.dir", &Properties::addLibraryPathDirectories, false},
    {L"wexal.library.path.dir.recursive", &Properties::addLibraryPathDirectories, true},
};

const wchar_t kMainArgumentKey[] = L"wexal.main.argument";

// Applies the key `name`; a name that is no key is ignored, with a debug note when it looks like
// a misspelt one of the launcher's.
void applyKey(Properties& properties, const std::wstring& name, const std::wstring& value, PropertyFileEntry& entry) {
    if (name == kMainArgumentKey) {
        entry.setValue(value);
        properties.setMainArgument(entry);
        return;
    }
    for (const TextKey& key : kTextKeys) {
        if (name == key.name) {
            (properties.*key.set)(value);
            return;
        }
    }
    for (const DirectoryKey& key : kDirectoryKeys) {
        if (name == key.name) {
            (properties.*key.add)(value, key.recursive);
            return;
        }
    }
    if (startsWith(name, L"wexal.")) properties.addDebugNote(L"Unknown key ignored: " + name);
}

// The passes in which entries are applied, in their order; the JVM choice runs between
// OtherVariables and LauncherLate.
enum class Pass { LauncherPlain, LauncherVariables, OtherPlain, OtherVariables, LauncherLate, OtherLate };

Pass passOf(const std::wstring& rawText, const PropertiesCustom& custom, const PropertyValueVariables& variables) {
    const bool launcher = custom.isCustom(rawText);
    if (variables.containsLateVariables(rawText)) return launcher ? Pass::LauncherLate : Pass::OtherLate;
    if (variables.containsVariables(rawText)) return launcher ? Pass::LauncherVariables : Pass::OtherVariables;
    return launcher ? Pass::LauncherPlain : Pass::OtherPlain;
}

// The candidates' lines join the debug notes; when no VM is acceptable no launch will write
// them, so they are written here before the failure is reported.
void chooseJvm(Properties& properties) {
    JvmChoice choice = JVMSelector(properties.getVmChoiceSettings()).choose();
    for (const std::wstring& line : choice.candidateLines) properties.addDebugNote(line);
    if (choice.jvm) {
        properties.setFoundJvm(std::make_shared<const JVM>(*std::move(choice.jvm)));
        return;
    }
    if (!properties.getDebugFile().empty()) {
        for (const std::wstring& line : properties.getDebugNotes()) platform::appendLineToFile(properties.getDebugFile(), line);
    }
    throw LaunchError{choice.failure};
}

LaunchError missingMainClass(const std::wstring& fileName) {
    return LaunchError{L"The configuration file " + fileName + L" sets no wexal.main.class."};
}

}  // namespace

void loadConfiguration(Properties& properties) {
    reportFailures(L"Error loading properties.", [&] {
        PropertiesFile file(properties.getFullPathAndNameOfExe());
        std::vector<PropertyFileEntry> entries = file.load();
        applyEntries(properties, entries);
        if (!properties.hasMainClass()) throw missingMainClass(file.getConfigurationFileName());
    });
}

void applyEntries(Properties& properties, std::vector<PropertyFileEntry>& entries) {
    reportFailures(L"Error loading properties from configuration file.", [&] {
        const PropertiesCustom custom;
        const PropertyValueVariables variables(properties);
        // Classified on the raw texts, before any entry is expanded.
        std::vector<Pass> passes;
        for (const PropertyFileEntry& entry : entries) passes.push_back(passOf(entry.getLine(), custom, variables));
        const auto apply = [&](Pass pass) {
            for (std::size_t i = 0; i < entries.size(); ++i) {
                if (passes[i] == pass) processProperty(properties, entries[i]);
            }
        };
        apply(Pass::LauncherPlain);
        apply(Pass::LauncherVariables);
        apply(Pass::OtherPlain);
        apply(Pass::OtherVariables);
        chooseJvm(properties);
        apply(Pass::LauncherLate);
        apply(Pass::OtherLate);
    });
}

void processProperty(Properties& properties, PropertyFileEntry& entry) {
    reportFailures(L"Error processing property.", [&] {
        // The whole text is expanded, so a variable may produce the key or the leading "-".
        const std::wstring& text = PropertyValueVariables(properties).resolveVariables(entry.getLine());
        if (Properties::isJvmOption(text)) {
            properties.addJavaSystemProperty(text);
            return;
        }
        std::wstring name = parsePropertyName(text);
        std::wstring value = parsePropertyValue(text);
        trim(name);
        trim(value);
        applyKey(properties, name, value, entry);
    });
}
