// The startup cache's files inside its private folder: which to read or write, leftovers of
// other starts, and the work of the process's end.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "launcher/cache/StartupCache.h"
#include "launcher/vm/VmInitArgs.h"

// A launch's cache files by name, to be placed in a folder.
struct CacheFiles {
    CacheKind kind;
    CacheAction action;
    std::wstring stem;  // "<application>-<hash>": the configuration's
    std::wstring own;   // "<stem>.<random>": this process's
};

// The paths of `files` inside `folder`.
CachePlan planIn(const CacheFiles& files, const std::wstring& folder);

// Chooses what the launch does with the cache "<folder>/<stem>.jsa" or ".aot": first publishes an
// ahead-of-time cache whose assembly has finished; reads the cache when it is there; else, with
// enough free space and no assembly under way, writes one (removing leftovers of other starts).
// Empty, with `whyNot` set, when the launch gets no cache.
std::optional<CacheFiles> chooseCacheFiles(const std::wstring& folder, const std::wstring& application, const std::wstring& hash,
                                           CacheKind kind, std::wstring& whyNot);

// The file whose presence says that the VM failed to start with the cache of `stem` in `folder`.
std::wstring refusalMarker(const std::wstring& folder, const std::wstring& stem);

// What the process's end does, once the VM is done with the cache.
struct ExitWork {
    CachePlan plan;                        // in the launcher's paths
    std::wstring debugFile;                // where the VM's cache messages go; empty for nowhere
    std::wstring refusalMarker;            // created when the VM fails while it is created
    std::wstring startFolder;              // where the launch started, for a run again in place
    std::wstring assemblyProgram;          // Write of an ahead-of-time cache: the Java home's java
    std::vector<std::wstring> assemblyArguments;  // and its arguments
    std::wstring assemblyOutput;           // the assembly's standard output and error
};

// Sets where the launch is with the VM, which decides what the exit work does when the VM fails.
void setExitWorkStage(VmStage stage);

// Arranges that the process's end publishes a written dynamic archive, starts the assembly of a
// recorded ahead-of-time cache, removes a cache the VM did not map (so that the next start writes
// it anew) and moves the VM's cache messages into the debug file. When the VM fails while it is
// created, the exit work marks the configuration's cache as refused and runs the launch again in
// place; when it fails to write the archive while it is destroyed, it ends the process with 0.
void scheduleExitWork(ExitWork work);

// The hook that runs the work of `scheduleExitWork` when the VM ends the process through a failure,
// where the process's exit handlers do not run.
VmAbortHook exitWorkAbortHook();

// A name part no one can predict: 16 hexadecimal digits from the system's random source.
std::wstring unpredictableTag();

// Whether `name` is one of the cache files of `application`: "<application>-<16 hex digits>." and more.
bool isCacheFileOf(const std::wstring& name, const std::wstring& application);
