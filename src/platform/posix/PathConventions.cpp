// Path conventions on Linux.
#include "platform/PathConventions.h"

namespace platform {

const wchar_t kPathSeparator = L'/';
const wchar_t kPathListSeparator = L':';
const bool kCaseInsensitivePaths = false;
const wchar_t* const kVmTypesFolder = L"lib";
const wchar_t* const kSdkRuntimeFolder = L"";
const wchar_t* const kVmLibraryName = L"libjvm.so";
const wchar_t* const kSplashLibraryName = L"libsplashscreen.so";
const wchar_t* const kVmRuntimeLibraryNames[] = {nullptr};
const UserCacheRoot kUserCacheRoots[] = {{L"XDG_CACHE_HOME", L"", L""}, {L"HOME", L"/.cache", L""}, {nullptr, nullptr, nullptr}};

}  // namespace platform
