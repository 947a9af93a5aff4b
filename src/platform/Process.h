// The running process: its executable, environment, identity and threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FunctionRef.h"

namespace platform {

// Full path and name of the running executable (on Windows at most 259 characters).
std::wstring executablePath();

// "64" when the operating system is 64-bit, otherwise "32".
std::wstring operatingSystemBitness();

// The value of an environment variable at this moment (on Windows the name is looked up without
// regard to case); empty when it is not set.
std::optional<std::wstring> environmentVariable(const std::wstring& name);

// The process's identifier.
std::uint32_t processId();

// Gives the rest of the calling thread's time slice to another thread that is ready to run.
void yieldThread();

// Runs `body` as the thread that will become the Java VM's main thread and returns its result.
// On Windows that is the calling (primary) thread. On Linux the primordial thread's stack is
// capped by the process stack limit, so `body` runs on a new thread with a stack of
// `stackBytes` (rounded up to whole pages), and the caller waits for it; a failure thrown by
// `body` is thrown on to the caller. Empty when that thread cannot be created (no memory for
// such a stack).
std::optional<int> runAsVmMainThread(std::size_t stackBytes, FunctionRef<int()> body);

}  // namespace platform
