// Processes this one starts: work handed to a process of its own that outlives the launcher, and
// this program run again in this process's place.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts the program `program` with `arguments` as a process that outlives this one, at a low
// priority, detached from this process's session or console, with an empty standard input and
// its standard output and error in the file `output`, which it creates exclusively (never
// through a link). Returns at once; false when the file or the process cannot be created.
bool startDetachedLowPriority(const std::wstring& program, const std::vector<std::wstring>& arguments, const std::wstring& output);

// Runs this program again with its own command line, from the folder `startFolder`, with this
// process's standard streams and environment, in this process's place: on Linux the process
// becomes the new run (execv); on Windows it waits for the new run and ends with its exit code.
// Returns only when the new run cannot be started (false).
bool rerunInPlace(const std::wstring& startFolder);

}  // namespace platform
