// What an output capture's reader thread and the capture's end share on every system: the sink,
// called only while the capture lives, and the news that the reader has met the pipe's end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <utility>

#include "platform/OutputCapture.h"

namespace platform {

class CaptureHandoff {
public:
    explicit CaptureHandoff(OutputCapture::Sink sink) : m_sink(std::move(sink)) {}

    // The reader's side: bytes that left the pipe, then, once, the pipe's end.
    void deliver(const char* bytes, std::size_t count);
    void markPipeEnded();

    // The capture's side, after it closed its write ends: returns once the reader met the pipe's
    // end or `wait` has passed; the sink is called no more.
    void close(std::chrono::milliseconds wait);

private:
    OutputCapture::Sink m_sink;
    std::mutex m_mutex;  // held while bytes go to the sink
    std::condition_variable m_pipeEnded;
    bool m_ended = false;   // guarded by m_mutex
    bool m_closed = false;  // guarded by m_mutex
};

}  // namespace platform
