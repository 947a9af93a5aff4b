// Loading the chosen VM's libraries from its Java home and resolving their entry points.
#include "launcher/VmLibrary.h"

#include "platform/DynamicLibrary.h"
#include "platform/PathConventions.h"
#include "report/ErrorReport.h"

namespace {

template <class Function>
Function entryPoint(platform::Library* library, const char* name) {
    return reinterpret_cast<Function>(platform::librarySymbol(library, name));
}

// `fileName` in the VM types folder of `javaHome`. Empty for an empty Java home (a VM chosen by
// its library path alone): the name would then resolve against the root of the current drive,
// where anyone who may create a folder could plant a library.
std::optional<std::wstring> vmTypesFolderFile(const std::wstring& javaHome, const wchar_t* fileName) {
    if (javaHome.empty()) return std::nullopt;
    return javaHome + platform::kPathSeparator + platform::kVmTypesFolder + platform::kPathSeparator + fileName;
}

}  // namespace

VmLibrary loadVmLibrary(const std::wstring& path) {
    platform::Library* library = platform::loadLibrary(path);
    if (!library) throw LaunchError{L"Could not load the Java VM library " + path};
    const auto createJavaVm = entryPoint<VmLibrary::CreateJavaVm>(library, "JNI_CreateJavaVM");
    if (!createJavaVm) {
        platform::freeLibrary(library);
        throw LaunchError{L"The Java VM library " + path + L" has no JNI_CreateJavaVM."};
    }
    return VmLibrary{library, createJavaVm};
}

void loadVmRuntimeLibrary(const std::wstring& javaHome) {
    for (const wchar_t* const* name = platform::kVmRuntimeLibraryNames; *name; ++name) {
        const std::optional<std::wstring> path = vmTypesFolderFile(javaHome, *name);
        if (!path) return;
        if (platform::loadLibrary(*path)) return;
    }
}

std::optional<SplashLibrary> loadSplashLibrary(const std::wstring& javaHome) {
    const std::optional<std::wstring> path = vmTypesFolderFile(javaHome, platform::kSplashLibraryName);
    if (!path) return std::nullopt;
    platform::Library* library = platform::loadLibrary(*path);
    if (!library) return std::nullopt;
    const SplashLibrary splash{
        entryPoint<decltype(SplashLibrary::init)>(library, "SplashInit"),
        entryPoint<decltype(SplashLibrary::loadFile)>(library, "SplashLoadFile"),
        entryPoint<decltype(SplashLibrary::setFileJarName)>(library, "SplashSetFileJarName"),
    };
    if (splash.init && splash.loadFile && splash.setFileJarName) return splash;
    platform::freeLibrary(library);
    return std::nullopt;
}
