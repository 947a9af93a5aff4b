// Where the registry view on Linux finds its Java installations.
#pragma once

#include <string>

namespace platform {

// Makes the registry view present the Java installations of `folder` (at first /usr/lib/jvm),
// for tests that bring installations of their own; returns the folder it presented before.
std::wstring setJavaInstallationsFolder(const std::wstring& folder);

}  // namespace platform
