// The error message box and the placeholder window on Windows.
#include "platform/ErrorBox.h"

#include "platform/win32/Win32.h"

namespace platform {

void showErrorBox(const std::wstring& caption, const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONWARNING);
}

PlaceholderWindow::PlaceholderWindow()
    : m_window(CreateWindowExW(WS_EX_TOOLWINDOW, L"EDIT", L"WexalDummy", WS_POPUP | WS_VISIBLE | WS_DISABLED, 0, 0, 0, 0,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}

PlaceholderWindow::~PlaceholderWindow() {
    if (m_window != nullptr) DestroyWindow(static_cast<HWND>(m_window));
}

}  // namespace platform
