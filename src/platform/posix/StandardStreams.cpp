// Lines on the standard streams on Linux, in UTF-8.
#include "platform/StandardStreams.h"

#include <unistd.h>

#include "platform/TextEncoding.h"
#include "platform/posix/Posix.h"

namespace platform {
namespace {

void writeLine(int descriptor, const std::wstring& text) {
    const std::string line = toUtf8(text) + "\n";
    posix::writeAll(descriptor, line.data(), line.size());
}

}  // namespace

void writeOutputLine(const std::wstring& text) {
    writeLine(STDOUT_FILENO, text);
}

void writeErrorLine(const std::wstring& text) {
    writeLine(STDERR_FILENO, text);
}

}  // namespace platform
