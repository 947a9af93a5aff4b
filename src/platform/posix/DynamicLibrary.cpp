// Loading libraries on Linux.
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include "platform/TextEncoding.h"

namespace platform {

Library* loadLibrary(const std::wstring& path, LoadFailure* failure) {
    std::string file = toUtf8(path);
    // dlopen looks a name without '/' up along the library path; "./" pins it to the current
    // directory.
    if (file.find('/') == std::string::npos) file.insert(0, "./");
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr && failure != nullptr) {
        const char* reason = dlerror();
        *failure = LoadFailure{0, reason ? fromUtf8(reason) : std::wstring()};
    }
    return static_cast<Library*>(library);
}

void setLibrarySearchFolder(const std::wstring&) {}

void* librarySymbol(Library* library, const char* name) {
    // dlsym on a null handle would search every library of the process.
    if (library == nullptr) return nullptr;
    return dlsym(library, name);
}

void freeLibrary(Library* library) {
    if (library != nullptr) dlclose(library);
}

}  // namespace platform
