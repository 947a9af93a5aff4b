// Path conventions on Linux.
#include "platform/PathConventions.h"

namespace platform {

const wchar_t kPathSeparator = L'/';
const wchar_t* const kPathSeparators = L"/";
const bool kPathsHaveDrives = false;
const wchar_t kPathListSeparator = L':';
const bool kCaseInsensitivePaths = false;
const bool kTextFilesMayBeUtf8 = true;
const wchar_t* const kVmTypesFolder = L"lib";
const wchar_t* const kSdkRuntimeFolder = L"";
const wchar_t* const kVmLibraryName = L"libjvm.so";
const wchar_t* const kSplashLibraryName = L"libsplashscreen.so";
const bool kSplashLibraryNeedsVmLibrary = true;
const wchar_t* const kVmRuntimeLibraryNames[] = {nullptr};

}  // namespace platform
