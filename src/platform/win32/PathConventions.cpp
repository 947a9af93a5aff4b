// Path conventions on Windows.
#include "platform/PathConventions.h"

namespace platform {

const wchar_t kPathSeparator = L'\\';
const wchar_t* const kPathSeparators = L"\\/";
const bool kPathsHaveDrives = true;
const wchar_t kPathListSeparator = L';';
const bool kCaseInsensitivePaths = true;
const wchar_t* const kVmTypesFolder = L"bin";
const wchar_t* const kSdkRuntimeFolder = L"jre";
const wchar_t* const kVmLibraryName = L"jvm.dll";
const wchar_t* const kSplashLibraryName = L"splashscreen.dll";
const bool kSplashLibraryNeedsVmLibrary = false;
const wchar_t* const kVmRuntimeLibraryNames[] = {L"msvcr71.dll", L"msvcr100.dll", nullptr};
const UserCacheRoot kUserCacheRoots[] = {{L"LOCALAPPDATA", L"", L"\\cache"}, {L"ProgramData", L"", L"\\cache"}, {nullptr, nullptr, nullptr}};

const wchar_t* const kOtherVmTypesFolders[] = {L"bin", nullptr};
const wchar_t* const kJavacName = L"javac.exe";
const wchar_t* const kJavaProgramName = L"java.exe";
// The order of the Java runtime's own launcher: the C runtime, then the C++ runtime.
const wchar_t* const kVmSupportLibraryNames[] = {L"msvcr120.dll",     L"msvcp120.dll", L"vcruntime140.dll",
                                                 L"vcruntime140_1.dll", L"msvcp140.dll", nullptr};

// A 32-bit program on a 64-bit Windows sees the 32-bit folder as %ProgramFiles% and the 64-bit
// one as %ProgramW6432%.
const JavaInstallFolder kJavaInstallFolders[] = {
    {L"ProgramFiles", L"Java", L""},
    {L"ProgramFiles", L"Eclipse Adoptium", L""},
    {L"ProgramFiles", L"Microsoft", L""},
    {L"ProgramFiles", L"Zulu", L""},
    {L"ProgramFiles", L"Amazon Corretto", L""},
    {L"ProgramFiles", L"BellSoft", L""},
    {L"ProgramFiles", L"Semeru", L""},
    {L"ProgramW6432", L"Java", L""},
    {L"ProgramW6432", L"Eclipse Adoptium", L""},
    {L"ProgramW6432", L"Microsoft", L""},
    {L"ProgramW6432", L"Zulu", L""},
    {L"ProgramW6432", L"Amazon Corretto", L""},
    {L"ProgramW6432", L"BellSoft", L""},
    {L"ProgramW6432", L"Semeru", L""},
    {L"LOCALAPPDATA", L"Programs\\Java", L""},
    {L"LOCALAPPDATA", L"Programs\\Eclipse Adoptium", L""},
    {L"LOCALAPPDATA", L"Programs\\Microsoft", L""},
    {L"LOCALAPPDATA", L"Programs\\Zulu", L""},
    {L"LOCALAPPDATA", L"Programs\\Amazon Corretto", L""},
    {L"LOCALAPPDATA", L"Programs\\BellSoft", L""},
    {L"LOCALAPPDATA", L"Programs\\Semeru", L""},
    {nullptr, nullptr, nullptr},
};

const wchar_t* const kJavaSearchPlaces =
    L"the registry (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, both views), JAVA_HOME, and the Java folders of "
    L"%ProgramFiles%, %ProgramW6432% and %LOCALAPPDATA%\\Programs";

}  // namespace platform
