// The class path and the library path: jar files and library folders collected from configured
// directories, their merging into the VM options, the process-id option and the option tests.
#include "config/ClassAndLibraryPath.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "config/Properties.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "report/ErrorReport.h"
#include "util/Files.h"
#include "util/Text.h"

namespace {

constexpr wchar_t kClasspathOption[] = L"-Djava.class.path";
constexpr wchar_t kLibraryPathOption[] = L"-Djava.library.path";

// The folders one scan has listed. A folder met again (through a link, a junction or another
// reparse point, whether it leads back up or sideways) is not entered again, so that a scan lists
// each folder at most once and ends whatever links the file system holds.
using VisitedFolders = std::set<platform::FileIdentity>;
using Visit = FunctionRef<void(const platform::DirectoryEntry&)>;

void appendSeparatorIfMissing(std::wstring& directory) {
    if (directory.empty() || directory.back() != platform::kPathSeparator) directory += platform::kPathSeparator;
}

void appendListEntry(std::wstring& list, const std::wstring& entry) {
    list += platform::kPathListSeparator;
    list += entry;
}

bool isSubdirectory(const platform::DirectoryEntry& entry) {
    return entry.isDirectory && entry.name != L"." && entry.name != L"..";
}

// A file whose name is more than ".jar" and ends in ".jar" in any case of its ASCII letters.
bool isJarFile(const platform::DirectoryEntry& entry) {
    const std::wstring& name = entry.name;
    return !entry.isDirectory && name.size() >= 5 && toLowerAscii(name.substr(name.size() - 4)) == L".jar";
}

// Lists `directory` (ending in a separator) unless this scan has listed it already. A directory
// whose identity cannot be read is listed all the same; the listing decides.
void listUnlessVisited(VisitedFolders& visited, const std::wstring& directory, Visit visit) {
    const std::optional<platform::FileIdentity> identity = platform::directoryIdentity(directory);
    if (identity && !visited.insert(*identity).second) return;
    platform::listDirectory(directory, visit);
}

// Appends the jar files of `directory` to `jars`, with recursion those of its subdirectories at
// the point where each is listed. Each level reports its own failures, so the innermost reports.
void addJars(std::wstring& jars, std::wstring directory, bool recursive, VisitedFolders& visited) {
    reportFailures(L"Error adding jars to classpath.", [&] {
        // An empty value names no folder; with a separator added it would name the root.
        if (directory.empty()) return;
        appendSeparatorIfMissing(directory);
        listUnlessVisited(visited, directory, [&](const platform::DirectoryEntry& entry) {
            if (isJarFile(entry)) {
                appendListEntry(jars, directory + entry.name);
            } else if (recursive && isSubdirectory(entry)) {
                addJars(jars, directory + entry.name, true, visited);
            }
        });
    });
}

// Appends `directory`, existing or not, to `libraryPath`, with recursion followed by its
// subdirectories in pre-order. Each level reports its own failures, so the innermost reports.
void addLibraryDirectories(std::wstring& libraryPath, std::wstring directory, bool recursive, VisitedFolders& visited) {
    reportFailures(L"Error adding directories to java.library.path.", [&] {
        // An empty value names no folder: as a list entry it would stand for the current folder,
        // and with a separator added it would name the root.
        if (directory.empty()) return;
        appendListEntry(libraryPath, directory);
        if (!recursive) return;
        appendSeparatorIfMissing(directory);
        listUnlessVisited(visited, directory, [&](const platform::DirectoryEntry& entry) {
            if (isSubdirectory(entry)) addLibraryDirectories(libraryPath, directory + entry.name, true, visited);
        });
    });
}

// The collected `list` as the VM is to read it. With a working folder the VM resolves relative
// entries against that folder, while the scans found them in the home folder: each relative entry
// then gets the home folder and a separator in front.
std::wstring entriesForVm(const std::wstring& list, const Properties& properties) {
    const std::wstring& home = properties.getSelfHomePath();
    if (properties.getWorkingDir().empty() || home.empty()) return list;
    std::wstring absolute;
    for (std::size_t begin = 0; begin < list.size();) {
        // Each entry follows a list separator.
        const std::size_t end = std::min(list.find(platform::kPathListSeparator, begin + 1), list.size());
        const std::wstring entry = list.substr(begin + 1, end - begin - 1);
        appendListEntry(absolute, isRelativePath(entry) ? home + platform::kPathSeparator + entry : entry);
        begin = end;
    }
    return absolute;
}

// Appends the collected `entries` (each after a list separator) to a path option. An empty first
// entry would stand for the current folder, so an option with no value yet starts with the first
// collected entry.
void appendEntries(std::wstring& option, const std::wstring& entries) {
    if (entries.empty()) return;
    option += option.back() == L'=' ? entries.substr(1) : entries;
}

std::wstring withEntries(const wchar_t* optionName, const std::wstring& entries) {
    std::wstring option = std::wstring(optionName) + L"=";
    appendEntries(option, entries);
    return option;
}

}  // namespace

void Properties::addJarsToClasspath(std::wstring directory, bool recursive) {
    VisitedFolders visited;
    addJars(m_jarsInClasspath, std::move(directory), recursive, visited);
}

void Properties::addLibraryPathDirectories(std::wstring directory, bool recursive) {
    VisitedFolders visited;
    addLibraryDirectories(m_libraryPath, std::move(directory), recursive, visited);
}

void Properties::setSyspropProcessId(const std::wstring& value) {
    if (toBool(value)) m_javaSystemProperties.push_back(L"-Dprocess.id=" + toDecimal(platform::processId()));
}

bool Properties::isJvmOption(const std::wstring& text) {
    return !text.empty() && text[0] == L'-';
}

bool Properties::isClasspathOption(const std::wstring& text) {
    return startsWith(text, kClasspathOption);
}

bool Properties::isLibraryPathOption(const std::wstring& text) {
    return startsWith(text, kLibraryPathOption);
}

void completePathOptions(Properties& properties) {
    std::vector<std::wstring>& options = properties.getJavaSystemProperties();
    const std::wstring jars = entriesForVm(properties.getJarsInClasspath(), properties);
    const std::wstring libraryPath = entriesForVm(properties.getLibraryPath(), properties);
    bool sawClasspathOption = false;
    bool sawLibraryPathOption = false;
    // Every matching option is extended, not only the first.
    for (std::wstring& option : options) {
        if (Properties::isClasspathOption(option)) {
            appendEntries(option, jars);
            sawClasspathOption = true;
        } else if (Properties::isLibraryPathOption(option)) {
            appendEntries(option, libraryPath);
            sawLibraryPathOption = true;
        }
    }
    if (!sawClasspathOption && !jars.empty()) options.push_back(withEntries(kClasspathOption, jars));
    if (!sawLibraryPathOption && !libraryPath.empty()) options.push_back(withEntries(kLibraryPathOption, libraryPath));
}
