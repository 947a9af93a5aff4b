// The class-data cache that makes a program's later starts faster: the VM maps the classes an
// earlier start loaded and linked from a file that the launcher keeps per configuration.
#pragma once

#include <string>
#include <vector>

class Properties;

// What a launch does with its cache file.
enum class CacheAction {
    Read,                // map the archive
    ReadAndKeepCurrent,  // map it, and let the VM (Java 19 and later) rebuild it when it no longer fits
    Write,               // record this run and write a new archive at exit
};

// One launch's cache.
struct CachePlan {
    CacheAction action;
    std::wstring archive;         // the cache file of the configuration
    std::wstring writtenArchive;  // Write: the file of this process's own that the VM writes, published as `archive` at exit
    std::wstring vmLog;           // where the VM writes its cache messages; empty for nowhere
};

// The VM options that carry out `plan` on a VM of Java feature version `javaFeature`: nothing
// below Java 13; otherwise the archive options and the logging options that keep the VM's cache
// messages off the program's standard output (into `plan.vmLog` when it is set).
std::vector<std::wstring> startupCacheOptions(int javaFeature, const CachePlan& plan);

// The feature version of a Java version text ("1.8.0_402" is 8, "17.0.15" and "25" are 17 and 25);
// 0 when the text starts with no number.
int javaFeatureVersion(const std::wstring& version);

// When the configuration turns the cache on, chooses the cache folder and file for the chosen VM,
// inserts the options before the configured ones, says in the debug file what it chose, and
// arranges that the process's end publishes a newly written archive and moves the VM's cache
// messages into the debug file. Any obstacle (no writable folder, little free space, an old VM, a
// class-data option of the user's own) leaves the launch as it would be without the cache.
void addStartupCacheOptions(Properties& properties);
