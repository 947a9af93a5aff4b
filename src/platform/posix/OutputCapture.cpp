// Capturing a standard stream on Linux: a pipe takes the stream's descriptor, and a thread of its
// own reads it. The end of the capture closes every write end of its own, so that the reader meets
// the pipe's end once it has read everything written.
#include "platform/OutputCapture.h"

#include <unistd.h>

#include <cstdio>
#include <thread>

#include "platform/CaptureHandoff.h"

namespace platform {

struct OutputCapture::State {
    explicit State(Sink sink) : handoff(std::move(sink)) {}
    CaptureHandoff handoff;
    int descriptor;  // 1 or 2
    int read = -1;
    int write = -1;
    int formerDescriptor = -1;  // a copy of the former descriptor; -1 when it was not open
};

namespace {

// Reads until every write end is closed; the sink is called while the capture lives.
void readPipe(const std::shared_ptr<OutputCapture::State>& state) {
    char buffer[4096];
    ssize_t count = 0;
    while ((count = ::read(state->read, buffer, sizeof buffer)) > 0) {
        state->handoff.deliver(buffer, static_cast<std::size_t>(count));
    }
    close(state->read);
    state->handoff.markPipeEnded();
}

}  // namespace

std::unique_ptr<OutputCapture> OutputCapture::start(StandardStream stream, Sink sink) {
    auto state = std::make_shared<State>(std::move(sink));
    state->descriptor = stream == StandardStream::output ? STDOUT_FILENO : STDERR_FILENO;
    int ends[2];
    if (pipe(ends) != 0) return nullptr;
    state->read = ends[0];
    state->write = ends[1];
    std::fflush(nullptr);
    state->formerDescriptor = dup(state->descriptor);
    dup2(state->write, state->descriptor);
    std::thread(readPipe, state).detach();
    return std::make_unique<OutputCapture>(state);
}

OutputCapture::OutputCapture(std::shared_ptr<State> state) : m_state(std::move(state)) {}

OutputCapture::~OutputCapture() {
    std::fflush(nullptr);
    if (m_state->formerDescriptor >= 0) {
        dup2(m_state->formerDescriptor, m_state->descriptor);
        close(m_state->formerDescriptor);
    } else {
        close(m_state->descriptor);
    }
    close(m_state->write);
    m_state->handoff.close(kChildWriterWait);
}

}  // namespace platform
