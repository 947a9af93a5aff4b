// Path conventions on Linux.
#include "platform/PathConventions.h"

namespace platform {

const wchar_t kPathSeparator = L'/';
const wchar_t* const kPathSeparators = L"/";
const bool kPathsHaveDrives = false;
const wchar_t kPathListSeparator = L':';
const bool kCaseInsensitivePaths = false;
const wchar_t* const kVmTypesFolder = L"lib";
const wchar_t* const kSdkRuntimeFolder = L"";
const wchar_t* const kVmLibraryName = L"libjvm.so";
const wchar_t* const kSplashLibraryName = L"libsplashscreen.so";
const bool kSplashLibraryNeedsVmLibrary = true;
const wchar_t* const kVmRuntimeLibraryNames[] = {nullptr};
const UserCacheRoot kUserCacheRoots[] = {{L"XDG_CACHE_HOME", L"", L""}, {L"HOME", L"/.cache", L""}, {nullptr, nullptr, nullptr}};

const wchar_t* const kOtherVmTypesFolders[] = {L"jre/lib/amd64", L"lib/amd64",       L"jre/lib/i386", L"lib/i386",
                                               L"jre/lib/aarch64", L"lib/aarch64", nullptr};
const wchar_t* const kJavacName = L"javac";
const wchar_t* const kJavaProgramName = L"java";
const wchar_t* const kVmSupportLibraryNames[] = {nullptr};
const JavaInstallFolder kJavaInstallFolders[] = {
    {nullptr, L"/usr/java", L""},
    {nullptr, L"/opt/java", L""},
    {nullptr, L"/opt", L"jdk"},
    {L"HOME", L".sdkman/candidates/java", L""},
    {L"HOME", L".jdks", L""},
    {nullptr, nullptr, nullptr},
};
const wchar_t* const kJavaSearchPlaces =
    L"/usr/lib/jvm, JAVA_HOME, /usr/java, /opt/java, /opt/jdk*, ~/.sdkman/candidates/java and ~/.jdks";

}  // namespace platform
