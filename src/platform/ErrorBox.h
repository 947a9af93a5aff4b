// The launcher's one user-visible output of its own: the error report, and the placeholder window
// that is kept while the heap limits are measured.
#pragma once

#include <string>

namespace platform {

// Shows `text` under `caption` and waits until the user has read it: a warning message box on
// Windows, one line "caption: text" on stderr on Linux.
void showErrorBox(const std::wstring& caption, const std::wstring& text);

// A window that is never seen (size 0 by 0, disabled, no taskbar button), created while the
// memory limits are in force. Linux has none.
class PlaceholderWindow {
public:
    PlaceholderWindow();  // a failed creation leaves no window and is not reported
    ~PlaceholderWindow();
    PlaceholderWindow(const PlaceholderWindow&) = delete;
    PlaceholderWindow& operator=(const PlaceholderWindow&) = delete;

private:
    // Used by the Windows implementation only.
    [[maybe_unused]] void* m_window = nullptr;
};

}  // namespace platform
