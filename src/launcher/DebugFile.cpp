// The debug file, written through the platform's line append.
#include "launcher/DebugFile.h"

#include "platform/Files.h"

void appendDebugLine(const std::wstring& fileName, const std::wstring& text) {
    platform::appendLineToFile(fileName, text);
}
