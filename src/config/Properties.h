// The complete launch configuration of one run: what the launcher knows of itself, every value of
// the configuration file, the VM options and main arguments, the heap figures, the class path and
// library path, and the chosen VM.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jvm/JVM.h"
#include "jvm/VmChoiceSettings.h"

class PropertyFileEntry;

class Properties {
public:
    Properties();  // determines the executable's and the operating system's bitness
    virtual ~Properties() = default;
    Properties(const Properties&) = default;
    Properties& operator=(const Properties&) = default;

    // Filling at start, in this order.
    void setFullPathAndNameOfExe(const std::wstring& path);  // also derives the home folder
    void setCallerDir(const std::wstring& dir);
    void setNumberOfCommandLineArguments(std::uint32_t count);
    // Stores `argument` in main argument slot `index`, growing the slots as needed.
    void setCommandLineArgument(const std::wstring& argument, std::uint32_t index);

    // Setters of the configuration keys; unless said otherwise each stores the value unchanged.
    void addJavaSystemProperty(const std::wstring& option);  // appends a VM option
    void setMainClass(const std::wstring& value);
    // Store the lower-cased word; a bare "jre" or "sdk" ("client" or "server") stands for its
    // "require_" form.
    void setJavaBundle(const std::wstring& value);
    void setBinJvmDir(const std::wstring& value);
    // Keep the path, without its final separators and with the home folder in front of a relative
    // one, only when it exists (the VM library path lower-cased where paths ignore case); otherwise
    // the earlier value stays and a debug note says that the path was passed over.
    void setJvmPath(const std::wstring& value);
    void setJavaHomePath(const std::wstring& value);
    void setMinJavaVersion(const std::wstring& value);
    void setMaxJavaVersion(const std::wstring& value);
    void setTrapConsoleCtrl(const std::wstring& value);
    void setDebugFile(const std::wstring& value);
    void setWorkingDir(const std::wstring& value);
    void setServiceName(const std::wstring& value);
    void setServiceDisplayName(const std::wstring& value);
    void setServiceDescription(const std::wstring& value);
    void setServiceOptionInstall(const std::wstring& value);
    void setServiceOptionUninstall(const std::wstring& value);
    void setServiceStopTimeout(const std::wstring& value);
    void setServiceAccount(const std::wstring& value);
    void setServiceStart(const std::wstring& value);
    void setServiceDependencies(const std::wstring& value);
    void setServiceRestartDelay(const std::wstring& value);
    void setServiceLogDir(const std::wstring& value);
    void setServiceLogMaxSize(const std::wstring& value);
    void setServiceLogKeep(const std::wstring& value);
    // Stores the entry's value in the main argument slot that follows the command line's
    // arguments by the entry's line number, so configured arguments keep their file order.
    void setMainArgument(const PropertyFileEntry& entry);
    void setSplash(const std::wstring& value);
    // Also hand the setting to the error report at once, for every later failure.
    void setErrorDefaultText(const std::wstring& value);
    void setErrorShowDetail(const std::wstring& value);  // toBool of the value
    void setFoundJvm(std::shared_ptr<const JVM> jvm);
    // Appends a line for the debug file, written after the chosen VM and the settings.
    void addDebugNote(const std::wstring& line) { m_debugNotes.push_back(line); }
    // The class-data cache that speeds up later starts: on when toBool(value); the folder of its
    // files (empty for the default folder).
    void setStartupCache(const std::wstring& value);
    void setStartupCacheDir(const std::wstring& value);

    // Heap sizing: percentages of physical memory and limits in kilobytes, read as in HeapSizing.h.
    void setMemoryCheckLimits(const std::wstring& value);
    void setMemoryMaxAvailablePercent(const std::wstring& value);
    void setMemoryMaxTotalPercent(const std::wstring& value);
    void setMemoryInitAvailablePercent(const std::wstring& value);
    void setMemoryInitTotalPercent(const std::wstring& value);
    void setMemoryMaxUpperLimit(const std::wstring& value);
    void setMemoryMaxLowerLimit(const std::wstring& value);
    void setMemoryInitUpperLimit(const std::wstring& value);
    void setMemoryInitLowerLimit(const std::wstring& value);
    // Appends "-Xmx<kb>k" and "-Xms<kb>k" (each only when not 0) to the VM options.
    void computeMemoryOptions();

    // Class path, library path and the process-id option.
    // Appends the ".jar" files of `directory` (with `recursive`, of its subfolders too) to the
    // collected class path, each after a list separator. Reports "Error adding jars to classpath.".
    void addJarsToClasspath(std::wstring directory, bool recursive);
    // Appends `directory` (with `recursive`, its subfolders in pre-order) to the collected library
    // path, each after a list separator; an empty value adds nothing. Reports "Error adding
    // directories to java.library.path.".
    void addLibraryPathDirectories(std::wstring directory, bool recursive);
    // When toBool(value), appends "-Dprocess.id=<this process's id>" to the VM options.
    void setSyspropProcessId(const std::wstring& value);
    // True when `text` begins with "-" (a VM option), with "-Djava.class.path", or with
    // "-Djava.library.path", compared exactly.
    static bool isJvmOption(const std::wstring& text);
    static bool isClasspathOption(const std::wstring& text);
    static bool isLibraryPathOption(const std::wstring& text);

    // The settings the choice of the Java VM reads, as stored now.
    VmChoiceSettings getVmChoiceSettings() const;

    // Readers.
    const std::wstring& getExeBitness() const { return m_exeBitness; }
    const std::wstring& getOperatingSystemBitness() const { return m_operatingSystemBitness; }
    const std::wstring& getFullPathAndNameOfExe() const { return m_fullPathAndNameOfExe; }
    const std::wstring& getSelfHomePath() const { return m_selfHomePath; }
    const std::wstring& getCallerDir() const { return m_callerDir; }
    const std::shared_ptr<const JVM>& getFoundJvm() const { return m_foundJvm; }
    const std::wstring& getCustomJavaHomePath() const { return m_customJavaHomePath; }
    const std::wstring& getCustomJvmPath() const { return m_customJvmPath; }
    const std::wstring& getCustomBinJvmDir() const { return m_customBinJvmDir; }
    const std::wstring& getJavaBundle() const { return m_javaBundlePreference; }
    const std::wstring& getMinJavaVersion() const { return m_minJavaVersion; }
    const std::wstring& getMaxJavaVersion() const { return m_maxJavaVersion; }
    // The main class in slash form; converts the stored field the first time.
    const std::wstring& getMainClass();
    bool hasMainClass() const { return !m_mainClass.empty(); }
    // The main arguments in index order: every command-line argument, then the non-empty configured ones.
    std::vector<std::wstring> getMainArguments() const;
    bool isTrapConsoleCtrl() const;
    bool isMemoryCheckLimits() const { return m_memoryCheckLimits; }
    const std::wstring& getDebugFile() const { return m_debugFile; }
    const std::vector<std::wstring>& getDebugNotes() const { return m_debugNotes; }
    const std::wstring& getWorkingDir() const { return m_workingDir; }
    const std::wstring& getSplash() const { return m_splashFile; }
    const std::wstring& getServiceName() const { return m_serviceName; }
    bool isStartupCache() const { return m_startupCache; }
    // Whether the startup cache is the ahead-of-time cache (wexal.startup.cache=aot).
    bool isStartupCacheAheadOfTime() const { return m_startupCacheAheadOfTime; }
    const std::wstring& getStartupCacheDir() const { return m_startupCacheDir; }
    // The display name: the configured one, the service name when none is.
    const std::wstring& getServiceDisplayName() const;
    const std::wstring& getServiceDescription() const { return m_serviceDescription; }
    const std::wstring& getServiceOptionInstall() const { return m_serviceOptionInstall; }
    const std::wstring& getServiceOptionUninstall() const { return m_serviceOptionUninstall; }
    // How long a stopping service may take, in milliseconds: the configured whole seconds
    // (toNumber, at most a day), the default when none or less than one second is configured.
    static constexpr std::uint32_t kDefaultServiceStopTimeoutMilliseconds = 20000;
    std::uint32_t getServiceStopTimeoutMilliseconds() const;
    // The remaining service keys as configured (empty when not set); the service runner reads them.
    const std::wstring& getServiceAccount() const { return m_serviceAccount; }
    const std::wstring& getServiceStart() const { return m_serviceStart; }
    const std::wstring& getServiceDependencies() const { return m_serviceDependencies; }
    const std::wstring& getServiceRestartDelay() const { return m_serviceRestartDelay; }
    const std::wstring& getServiceLogDir() const { return m_serviceLogDir; }
    const std::wstring& getServiceLogMaxSize() const { return m_serviceLogMaxSize; }
    const std::wstring& getServiceLogKeep() const { return m_serviceLogKeep; }
    std::vector<std::wstring>& getJavaSystemProperties() { return m_javaSystemProperties; }
    const std::vector<std::wstring>& getJavaSystemProperties() const { return m_javaSystemProperties; }
    const std::wstring& getJarsInClasspath() const { return m_jarsInClasspath; }
    const std::wstring& getLibraryPath() const { return m_libraryPath; }
    std::uint32_t getMemoryMax() const { return m_memoryMax; }
    std::uint32_t getMemoryInit() const { return m_memoryInit; }

    // The one-line debug dump.
    std::wstring toString() const;

private:
    std::wstring fromHomeFolder(const std::wstring& path) const;

    std::wstring m_exeBitness;
    std::wstring m_operatingSystemBitness;
    std::wstring m_fullPathAndNameOfExe;
    std::wstring m_selfHomePath;
    std::wstring m_customJavaHomePath;
    std::wstring m_mainClass;
    std::wstring m_customJvmPath;
    std::wstring m_customBinJvmDir;
    std::wstring m_javaBundlePreference;
    std::wstring m_errorDefaultText;
    bool m_errorShowDetail = true;
    std::vector<std::wstring> m_javaSystemProperties;
    std::vector<std::wstring> m_commandLineArguments;
    std::wstring m_minJavaVersion;
    std::wstring m_maxJavaVersion;
    std::wstring m_trapConsoleCtrl;
    std::wstring m_jarsInClasspath;
    std::shared_ptr<const JVM> m_foundJvm;  // shared by every copy; lives until the process ends
    std::wstring m_debugFile;
    std::vector<std::wstring> m_debugNotes;
    std::wstring m_libraryPath;
    std::wstring m_workingDir;
    std::wstring m_callerDir;
    std::wstring m_serviceName;
    std::wstring m_serviceDisplayName;
    std::wstring m_serviceDescription;
    std::wstring m_serviceOptionInstall;
    std::wstring m_serviceOptionUninstall;
    std::wstring m_serviceStopTimeout;
    std::wstring m_serviceAccount;
    std::wstring m_serviceStart;
    std::wstring m_serviceDependencies;
    std::wstring m_serviceRestartDelay;
    std::wstring m_serviceLogDir;
    std::wstring m_serviceLogMaxSize;
    std::wstring m_serviceLogKeep;
    std::uint32_t m_numberOfCommandLineArguments = 0;
    bool m_memoryCheckLimits = false;
    std::uint32_t m_memoryMax = 0;
    std::uint32_t m_memoryMaxUpperLimit = 2147483647;
    std::uint32_t m_memoryMaxLowerLimit = 0;
    std::uint32_t m_memoryInit = 0;
    std::uint32_t m_memoryInitUpperLimit = 2147483647;
    std::uint32_t m_memoryInitLowerLimit = 0;
    std::wstring m_splashFile;
    bool m_startupCache = false;
    bool m_startupCacheAheadOfTime = false;
    std::wstring m_startupCacheDir;
};
