// Capturing what the process writes to its standard output or error stream, for a program whose
// streams go nowhere (a Windows service).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace platform {

enum class StandardStream { output, error };

// While it lives, what the process writes to one standard stream (through the system's standard
// handle on Windows, descriptor 1 or 2 on Linux) goes through a pipe to a sink on a thread of the
// capture's own.
class OutputCapture {
public:
    // Receives the bytes as written, in pieces of any size; called on the capture's thread.
    using Sink = std::function<void(const std::string& bytes)>;

    // Starts capturing `stream` into `sink`; empty, with the stream unchanged, when no pipe can be made.
    static std::unique_ptr<OutputCapture> start(StandardStream stream, Sink sink);

    // How long the end of a capture waits for a child process that inherited the stream and keeps
    // it open; what such a child writes later is not captured.
    static constexpr std::chrono::seconds kChildWriterWait{1};

    // Gives the stream its former target back, returns once what was written to it has reached the
    // sink (or after kChildWriterWait), and calls the sink no more.
    ~OutputCapture();

    // The pipe, the former target and the sink, shared with the thread; made by start() only.
    struct State;
    explicit OutputCapture(std::shared_ptr<State> state);
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

private:
    std::shared_ptr<State> m_state;  // shared with the capture's thread, which may outlive this
};

}  // namespace platform
