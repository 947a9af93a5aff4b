// Lines of text for the console's standard output and standard error streams.
#pragma once

#include <string>

namespace platform {

// Writes `text` and a line end to the standard output stream (UTF-8 on Linux; on Windows the
// console's own wide text, or the console's code page when the stream is redirected, with every
// line end as CR LF).
void writeOutputLine(const std::wstring& text);

// The same for the standard error stream.
void writeErrorLine(const std::wstring& text);

}  // namespace platform
