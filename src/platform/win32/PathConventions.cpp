// Path conventions on Windows.
#include "platform/PathConventions.h"

namespace platform {

const wchar_t kPathSeparator = L'\\';
const wchar_t kPathListSeparator = L';';
const bool kCaseInsensitivePaths = true;
const wchar_t* const kVmTypesFolder = L"bin";
const wchar_t* const kSdkRuntimeFolder = L"jre";
const wchar_t* const kVmLibraryName = L"jvm.dll";
const wchar_t* const kSplashLibraryName = L"splashscreen.dll";
const wchar_t* const kVmRuntimeLibraryNames[] = {L"msvcr71.dll", L"msvcr100.dll", nullptr};
const UserCacheRoot kUserCacheRoots[] = {{L"LOCALAPPDATA", L"", L"\\cache"}, {nullptr, nullptr, nullptr}};

}  // namespace platform
