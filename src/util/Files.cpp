#include "util/Files.h"

#include "platform/Files.h"

bool fileExists(const std::wstring& path) {
    return platform::findsEntry(path);
}
