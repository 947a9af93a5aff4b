// The startup cache that makes a program's later starts faster: the VM maps the classes an
// earlier start loaded and linked from a file that the launcher keeps per configuration, in a
// folder that only the launching account can change.
#pragma once

#include <string>
#include <vector>

#include "launcher/vm/VmInitArgs.h"

class Properties;

// The kind of cache: the dynamic class-data archive (Java 13 and later), or the ahead-of-time
// cache (Java 25 and later), which also keeps the classes linked and profiled.
enum class CacheKind { DynamicArchive, AheadOfTime };

// What a launch does with its cache.
enum class CacheAction {
    Read,   // map the cache
    Write,  // record this run: a dynamic archive is written at exit, an ahead-of-time cache is
            // assembled from the recording after the program has ended
};

// One launch's cache files, each but `archive` a file of this process's own with a name no one
// can predict.
struct CachePlan {
    CacheKind kind;
    CacheAction action;
    std::wstring archive;  // the cache of the configuration, under its final name
    std::wstring written;  // Write: what the VM writes (the archive, or the recording), published later
    std::wstring vmLog;    // the VM's cache messages, read at exit
};

// The VM options that carry out `plan` on a VM of Java feature version `javaFeature`: nothing
// below Java 13; otherwise the logging options that keep the VM's cache messages off the
// program's standard output and in `plan.vmLog`, then the cache's own options.
std::vector<std::wstring> startupCacheOptions(int javaFeature, const CachePlan& plan);

// The feature version of a Java version text ("1.8.0_402" is 8, "17.0.15" and "25" are 17 and 25);
// 0 when the text starts with no number.
int javaFeatureVersion(const std::wstring& version);

// When the configuration turns the cache on, chooses the cache folder and files for the chosen VM,
// inserts the options before the configured ones, says in the debug file what it chose, and
// arranges the work of the process's end (publishing a written archive, starting the assembly of
// an ahead-of-time cache, dropping a cache the VM did not map). Any obstacle (no private folder,
// little free space, an old VM, class-data sharing switched off or chosen by the user, a path the
// VM's code page cannot carry) leaves the launch as it would be without the cache, and the debug
// file says why.
void addStartupCacheOptions(Properties& properties);

// The hook the VM calls when it ends the process through a failure: it does the cache's work of the
// process's end there too. Null when the launch has no cache.
VmAbortHook startupCacheAbortHook();

// Where the launch is with the VM, for the cache's handling of the VM's failures.
enum class VmStage {
    Creating,    // JNI_CreateJavaVM runs: a failure there may come from the cache's options, so the
                 // configuration and VM get no cache from now on and the launch runs again in place
    Running,     // the program runs: the VM's failures are its own
    Destroying,  // the program returned from main and DestroyJavaVM runs: the VM writes a dynamic
                 // archive now and ends the process with exit code 1 when it cannot (a disk that
                 // filled during the run), which the cache turns back into the launch's 0
};

// Tells the cache where the launch is with the VM.
void setVmStage(VmStage stage);
