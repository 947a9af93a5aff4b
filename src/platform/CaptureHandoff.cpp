// The hand-off between an output capture's reader thread and the capture's end.
#include "platform/CaptureHandoff.h"

namespace platform {

void CaptureHandoff::deliver(const char* bytes, std::size_t count) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_closed) m_sink(std::string(bytes, count));
}

void CaptureHandoff::markPipeEnded() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_pipeEnded.notify_all();
}

void CaptureHandoff::close(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_pipeEnded.wait_for(lock, wait, [this] { return m_ended; });
    m_closed = true;
}

}  // namespace platform
