// Lines on the standard streams on Windows: wide text for a console, the console's code page (the
// ANSI one without a console) when the stream goes to a file or a pipe.
#include "platform/StandardStreams.h"

#include <string>

#include "platform/win32/Win32.h"

namespace platform {
namespace {

// `text` with Windows line ends: each line feed inside it, and the one at its end, as CR LF.
std::wstring withWindowsLineEnds(const std::wstring& text) {
    std::wstring line;
    line.reserve(text.size() + 2);
    for (const wchar_t c : text) {
        if (c == L'\n') line += L'\r';
        line += c;
    }
    return line + L"\r\n";
}

void writeLine(DWORD stream, const std::wstring& text) {
    const HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    const std::wstring line = withWindowsLineEnds(text);
    DWORD written = 0;
    // WriteConsoleW fails for a handle that is no console.
    if (WriteConsoleW(handle, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr)) return;
    const UINT codePage = GetConsoleOutputCP() != 0 ? GetConsoleOutputCP() : GetACP();
    const int length = static_cast<int>(line.size());
    const int size = WideCharToMultiByte(codePage, 0, line.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, line.c_str(), length, bytes.data(), size, nullptr, nullptr);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void writeOutputLine(const std::wstring& text) {
    writeLine(STD_OUTPUT_HANDLE, text);
}

void writeErrorLine(const std::wstring& text) {
    writeLine(STD_ERROR_HANDLE, text);
}

}  // namespace platform
