// Loading libraries into the process and finding their entry points.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// An opaque handle of a loaded library.
struct Library;

// Why a library did not load: the system's error code (0 on Linux, which has none) and its text.
struct LoadFailure {
    std::uint32_t code = 0;
    std::wstring text;
};

// Loads the library at `path` (a relative path resolves against the current directory, never
// against a search path); null when it cannot be loaded, with the reason in `failure` when given.
Library* loadLibrary(const std::wstring& path, LoadFailure* failure = nullptr);

// Makes `folder` the one extra folder searched for the libraries that libraries loaded later
// import, in place of the current directory (SetDllDirectoryW). Does nothing on Linux, where a
// library finds its own through its run path.
void setLibrarySearchFolder(const std::wstring& folder);

// The address of the exported symbol `name`; null when the library has none.
void* librarySymbol(Library* library, const char* name);

// Unloads a library that `loadLibrary` returned.
void freeLibrary(Library* library);

}  // namespace platform
