// The configuration model: what the launcher knows of itself, the plain key setters, the main
// arguments and the one-line debug dump. Heap sizing, the class and library paths and the tests
// of the VM choice settings live in files of their own.
#include "config/Properties.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "config/PropertyFileEntry.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "report/ErrorReport.h"
#include "util/Files.h"
#include "util/Text.h"

namespace {

// The lower-cased word; a bare short form ("jre", "client") stands for its "require_" form.
std::wstring normaliseWord(const std::wstring& value, std::initializer_list<const wchar_t*> shortForms) {
    std::wstring word = toLowerAscii(value);
    for (const wchar_t* shortForm : shortForms) {
        if (word == shortForm) return L"require_" + word;
    }
    return word;
}

void growToHold(std::vector<std::wstring>& list, std::size_t index) {
    if (list.size() <= index) list.resize(index + 1);
}

}  // namespace

Properties::Properties()
    : m_exeBitness(toDecimal(sizeof(void*) * 8)),
      m_operatingSystemBitness(platform::operatingSystemBitness()) {}

void Properties::setFullPathAndNameOfExe(const std::wstring& path) {
    m_fullPathAndNameOfExe = path;
    const std::size_t exeSeparator = path.rfind(platform::kPathSeparator);
    if (exeSeparator == std::wstring::npos) return;
    m_selfHomePath = path.substr(0, exeSeparator);
    // An executable kept in the application's "bin" folder has the application's folder as home.
    const std::wstring binFolder = platform::kPathSeparator + std::wstring(L"bin");
    if (endsWith(m_selfHomePath, binFolder)) m_selfHomePath.erase(m_selfHomePath.size() - binFolder.size());
}

void Properties::setCallerDir(const std::wstring& dir) {
    m_callerDir = dir;
}

void Properties::setNumberOfCommandLineArguments(std::uint32_t count) {
    m_numberOfCommandLineArguments = count;
}

void Properties::setCommandLineArgument(const std::wstring& argument, std::uint32_t index) {
    growToHold(m_commandLineArguments, index);
    m_commandLineArguments[index] = argument;
}

void Properties::addJavaSystemProperty(const std::wstring& option) {
    m_javaSystemProperties.push_back(option);
}

void Properties::setMainClass(const std::wstring& value) {
    m_mainClass = value;
}

void Properties::setJavaBundle(const std::wstring& value) {
    m_javaBundlePreference = normaliseWord(value, {L"jre", L"sdk"});
}

void Properties::setBinJvmDir(const std::wstring& value) {
    m_customBinJvmDir = normaliseWord(value, {L"client", L"server"});
}

// The configured `path`, found relative to the home folder, as the launch can still find it after
// changing to the working folder.
std::wstring Properties::fromHomeFolder(const std::wstring& path) const {
    return isRelativePath(path) ? m_selfHomePath + platform::kPathSeparator + path : path;
}

// Final separators name the same file or folder; they are dropped so that paths built on the value
// have no separator doubled.
void Properties::setJvmPath(const std::wstring& value) {
    const std::wstring found = withoutTrailingSeparators(value);
    if (!fileExists(found)) {
        if (!value.empty()) addDebugNote(L"Passed over wexal.jvm.path, which does not exist: " + value);
        return;
    }
    const std::wstring path = fromHomeFolder(found);
    // Lower-casing is harmless only where the file system ignores case.
    m_customJvmPath = platform::kCaseInsensitivePaths ? toLowerAscii(path) : path;
}

void Properties::setJavaHomePath(const std::wstring& value) {
    const std::wstring path = withoutTrailingSeparators(value);
    if (fileExists(path)) {
        m_customJavaHomePath = fromHomeFolder(path);
    } else if (!value.empty()) {
        addDebugNote(L"Passed over wexal.java.home.path, which does not exist: " + value);
    }
}

void Properties::setMinJavaVersion(const std::wstring& value) {
    m_minJavaVersion = value;
}

void Properties::setMaxJavaVersion(const std::wstring& value) {
    m_maxJavaVersion = value;
}

void Properties::setTrapConsoleCtrl(const std::wstring& value) {
    m_trapConsoleCtrl = value;
}

void Properties::setDebugFile(const std::wstring& value) {
    m_debugFile = value;
}

void Properties::setWorkingDir(const std::wstring& value) {
    m_workingDir = value;
}

void Properties::setServiceName(const std::wstring& value) {
    m_serviceName = value;
}

void Properties::setServiceDisplayName(const std::wstring& value) {
    m_serviceDisplayName = value;
}

void Properties::setServiceDescription(const std::wstring& value) {
    m_serviceDescription = value;
}

void Properties::setServiceOptionInstall(const std::wstring& value) {
    m_serviceOptionInstall = value;
}

void Properties::setServiceOptionUninstall(const std::wstring& value) {
    m_serviceOptionUninstall = value;
}

void Properties::setServiceStopTimeout(const std::wstring& value) {
    m_serviceStopTimeout = value;
}

void Properties::setServiceAccount(const std::wstring& value) {
    m_serviceAccount = value;
}

void Properties::setServiceStart(const std::wstring& value) {
    m_serviceStart = value;
}

void Properties::setServiceDependencies(const std::wstring& value) {
    m_serviceDependencies = value;
}

void Properties::setServiceRestartDelay(const std::wstring& value) {
    m_serviceRestartDelay = value;
}

void Properties::setServiceLogDir(const std::wstring& value) {
    m_serviceLogDir = value;
}

void Properties::setServiceLogMaxSize(const std::wstring& value) {
    m_serviceLogMaxSize = value;
}

void Properties::setServiceLogKeep(const std::wstring& value) {
    m_serviceLogKeep = value;
}

void Properties::setMainArgument(const PropertyFileEntry& entry) {
    // Line numbers start at 1, so configured arguments always follow the command line's.
    const std::size_t index = std::size_t{m_numberOfCommandLineArguments} + static_cast<std::size_t>(entry.getLineNumber());
    growToHold(m_commandLineArguments, index);
    m_commandLineArguments[index] = entry.getValue();
}

void Properties::setSplash(const std::wstring& value) {
    m_splashFile = value;
}

void Properties::setStartupCache(const std::wstring& value) {
    std::wstring word = toLowerAscii(value);
    trim(word);
    m_startupCacheAheadOfTime = word == L"aot";
    m_startupCache = m_startupCacheAheadOfTime || toBool(value);
}

void Properties::setStartupCacheDir(const std::wstring& value) {
    m_startupCacheDir = value;
}

void Properties::setErrorDefaultText(const std::wstring& value) {
    m_errorDefaultText = value;
    setDefaultErrorText(value);
}

void Properties::setErrorShowDetail(const std::wstring& value) {
    m_errorShowDetail = toBool(value);
    setShowErrorDetail(m_errorShowDetail);
}

void Properties::setFoundJvm(std::shared_ptr<const JVM> jvm) {
    m_foundJvm = std::move(jvm);
}

const std::wstring& Properties::getMainClass() {
    replaceAll(m_mainClass, L'.', L'/');
    return m_mainClass;
}

std::vector<std::wstring> Properties::getMainArguments() const {
    // Empty command-line arguments are kept, as programs rely on them ("grep '' file"); an empty
    // configured value, or a slot of a line that set none, adds nothing.
    std::vector<std::wstring> arguments;
    for (std::size_t i = 0; i < m_commandLineArguments.size(); ++i) {
        const std::wstring& argument = m_commandLineArguments[i];
        if (i < m_numberOfCommandLineArguments || !argument.empty()) arguments.push_back(argument);
    }
    return arguments;
}

VmChoiceSettings Properties::getVmChoiceSettings() const {
    return VmChoiceSettings{m_customJavaHomePath, m_customJvmPath, m_customBinJvmDir,
                            m_javaBundlePreference, m_minJavaVersion, m_maxJavaVersion};
}

bool Properties::isTrapConsoleCtrl() const {
    return toBool(m_trapConsoleCtrl);
}

const std::wstring& Properties::getServiceDisplayName() const {
    return m_serviceDisplayName.empty() ? m_serviceName : m_serviceDisplayName;
}

std::uint32_t Properties::getServiceStopTimeoutMilliseconds() const {
    // Whole seconds, at most a day: the system's wait hint is a 32-bit count of milliseconds.
    const double seconds = m_serviceStopTimeout.empty() ? -1 : toNumber(m_serviceStopTimeout);
    if (!(seconds >= 1)) return kDefaultServiceStopTimeoutMilliseconds;
    return static_cast<std::uint32_t>(std::min(seconds, 86400.0)) * 1000;
}

std::wstring Properties::toString() const {
    std::wstring text = L"m_fullPathAndNameOfExe=" + m_fullPathAndNameOfExe;
    text += L",m_selfHomePath=" + m_selfHomePath;
    text += L",m_customJavaHomePath=" + m_customJavaHomePath;
    text += L",m_customBinJvmDir=" + m_customBinJvmDir;
    text += L",m_mainClass=" + m_mainClass;
    text += L",m_customJvmPath=" + m_customJvmPath;
    text += L",m_minJavaVersion=" + m_minJavaVersion;
    text += L",m_maxJavaVersion=" + m_maxJavaVersion;
    text += L",m_trapConsoleCtrl=" + m_trapConsoleCtrl;
    text += L",m_jarsInClasspath=" + m_jarsInClasspath;
    text += L",m_libraryPath=" + m_libraryPath;
    text += L",m_debugFile=" + m_debugFile;
    text += L",m_callerDir=" + m_callerDir;
    text += L",m_exeBitness=" + m_exeBitness;
    text += L",m_operatingSystemBitness=" + m_operatingSystemBitness;
    for (std::size_t i = 0; i < m_javaSystemProperties.size(); ++i) {
        text += L",m_javaSystemProperties[" + toDecimal(i) + L"]=" + m_javaSystemProperties[i];
    }
    for (std::size_t i = 0; i < m_commandLineArguments.size(); ++i) {
        text += L",m_commandLineArguments[" + toDecimal(i) + L"]=" + m_commandLineArguments[i];
    }
    return text;
}
