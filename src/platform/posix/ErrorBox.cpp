// The error report on Linux: one line on stderr. There is no placeholder window.
#include "platform/ErrorBox.h"

#include "platform/StandardStreams.h"

namespace platform {

void showErrorBox(const std::wstring& caption, const std::wstring& text) {
    writeErrorLine(caption + L": " + text);
}

PlaceholderWindow::PlaceholderWindow() = default;

PlaceholderWindow::~PlaceholderWindow() = default;

}  // namespace platform
