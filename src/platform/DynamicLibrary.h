// Loading libraries into the process and finding their entry points.
#pragma once

#include <string>

namespace platform {

// An opaque handle of a loaded library.
struct Library;

// Loads the library at `path` (a relative path resolves against the current directory, never
// against a search path); null when it cannot be loaded.
Library* loadLibrary(const std::wstring& path);

// The address of the exported symbol `name`; null when the library has none.
void* librarySymbol(Library* library, const char* name);

// Unloads a library that `loadLibrary` returned.
void freeLibrary(Library* library);

}  // namespace platform
