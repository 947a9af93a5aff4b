// Writing a whole file under a temporary name and moving it into place, for programs that must
// leave either the complete file or none.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Creates the file `path`, which must not exist yet, and writes `bytes` into it, flushed to the
// disk. False when the file exists already or cannot be created or written; a partly written file
// is then removed.
bool writeNewFile(const std::wstring& path, std::string_view bytes);

// Gives the file `from` the name `to` in one step, replacing a file `to` that exists already; false,
// with nothing changed, when the move fails.
bool renameReplacing(const std::wstring& from, const std::wstring& to);

}  // namespace platform
