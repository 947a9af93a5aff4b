// The error report on Linux: one line on stderr. There is no placeholder window.
#include "platform/ErrorBox.h"

#include <unistd.h>

#include "platform/TextEncoding.h"
#include "platform/posix/Posix.h"

namespace platform {

void showErrorBox(const std::wstring& caption, const std::wstring& text) {
    const std::string line = toUtf8(caption + L": " + text) + "\n";
    posix::writeAll(STDERR_FILENO, line.data(), line.size());
}

PlaceholderWindow::PlaceholderWindow() = default;

PlaceholderWindow::~PlaceholderWindow() = default;

}  // namespace platform
