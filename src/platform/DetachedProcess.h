// Work handed to a process of its own that outlives the launcher and that no one waits for.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts the program `program` with `arguments` as a process that outlives this one, at a low
// priority, detached from this process's session or console, with an empty standard input and
// its standard output and error in the file `output`, which it creates exclusively (never
// through a link). Returns at once; false when the file or the process cannot be created.
bool startDetachedLowPriority(const std::wstring& program, const std::vector<std::wstring>& arguments, const std::wstring& output);

}  // namespace platform
