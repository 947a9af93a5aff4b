// Loading the chosen VM's libraries from its Java home and resolving their entry points.
#include "launcher/vm/VmLibrary.h"

#include <cstdint>

#include "platform/DynamicLibrary.h"
#include "platform/PathConventions.h"
#include "report/ErrorReport.h"
#include "util/Files.h"
#include "util/Text.h"

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

// Windows' codes for a library of another machine and for a missing library it imports.
constexpr std::uint32_t kBadExeFormat = 193;
constexpr std::uint32_t kModuleNotFound = 126;

std::wstring loadFailureMessage(const std::wstring& path, const platform::LoadFailure& failure) {
    std::wstring message = L"Could not load the Java VM library " + path;
    if (failure.code == 0) return failure.text.empty() ? message : message + L": " + failure.text;
    message += L" (error " + toDecimal(failure.code) + L": " + failure.text + L")";
    if (failure.code == kBadExeFormat) message += L"\nThe library is for another processor or bitness than this launcher.";
    if (failure.code == kModuleNotFound) {
        message += L"\nA library it needs is missing, typically the Visual C++ runtime of that Java.";
    }
    return message;
}

// The folder `levels` folders above `path`; empty when there are not that many.
std::wstring folderAbove(const std::wstring& path, int levels) {
    std::size_t end = path.size();
    for (int i = 0; i < levels; ++i) {
        const std::size_t separator = path.rfind(platform::kPathSeparator, end == 0 ? 0 : end - 1);
        if (separator == std::wstring::npos || separator == 0) return {};
        end = separator;
    }
    return path.substr(0, end);
}

}  // namespace

VmLibrary loadVmLibrary(const std::wstring& path) {
    platform::LoadFailure failure;
    platform::Library* library = platform::loadLibrary(path, &failure);
    if (!library) throw LaunchError{loadFailureMessage(path, failure)};
    const auto createJavaVm = entryPoint<VmLibrary::CreateJavaVm>(library, "JNI_CreateJavaVM");
    if (!createJavaVm) {
        platform::freeLibrary(library);
        throw LaunchError{L"The Java VM library " + path + L" has no JNI_CreateJavaVM."};
    }
    return VmLibrary{library, createJavaVm};
}

std::wstring vmRuntimeHome(const std::wstring& javaHome, const std::wstring& jvmPath) {
    if (!javaHome.empty()) return javaHome;
    // <home>\bin\<type>\jvm.dll
    const std::wstring home = folderAbove(jvmPath, 3);
    if (home.empty() || !fileExists(home + platform::kPathSeparator + platform::kVmTypesFolder)) return {};
    return home;
}

void loadVmRuntimeLibrary(const std::wstring& javaHome) {
    if (javaHome.empty()) return;
    for (const wchar_t* const* name = platform::kVmRuntimeLibraryNames; *name; ++name) {
        if (platform::loadLibrary(*vmTypesFolderFile(javaHome, *name))) break;
    }
    // By full path, so that no other copy on the search path stands in for the VM's own.
    for (const wchar_t* const* name = platform::kVmSupportLibraryNames; *name; ++name) {
        const std::wstring path = *vmTypesFolderFile(javaHome, *name);
        if (fileExists(path)) platform::loadLibrary(path);
    }
    // The VM library's own imports resolve through the search path, which must hold the folder.
    platform::setLibrarySearchFolder(javaHome + platform::kPathSeparator + platform::kVmTypesFolder);
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
