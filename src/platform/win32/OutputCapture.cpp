// Capturing a standard stream on Windows: an anonymous pipe becomes the process's standard handle,
// and a thread of its own reads it. A Java VM takes its streams' handles (and its C runtime, loaded
// with it, its descriptors) from the standard handles when it starts.
//
// The pipe's ends are synchronous, and Windows lets one call at a time work on such a handle: while
// the reader waits in ReadFile, PeekNamedPipe on the same end would wait too. So the end of the
// capture looks at the pipe only through the reader, which meets the pipe's end once every write
// end is closed.
#include "platform/OutputCapture.h"

#include <thread>

#include "platform/CaptureHandoff.h"
#include "platform/win32/Win32.h"

namespace platform {

struct OutputCapture::State {
    explicit State(Sink sink) : handoff(std::move(sink)) {}
    CaptureHandoff handoff;
    DWORD stream;  // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    HANDLE formerHandle = nullptr;
};

namespace {

// Reads until the pipe is broken; the sink is called while the capture lives.
void readPipe(const std::shared_ptr<OutputCapture::State>& state) {
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(state->read, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        state->handoff.deliver(buffer, count);
    }
    CloseHandle(state->read);
    state->handoff.markPipeEnded();
}

}  // namespace

std::unique_ptr<OutputCapture> OutputCapture::start(StandardStream stream, Sink sink) {
    auto state = std::make_shared<State>(std::move(sink));
    state->stream = stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    // The write end is inherited by the program's child processes, as a console would be.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&state->read, &state->write, &inheritable, 0)) return nullptr;
    SetHandleInformation(state->read, HANDLE_FLAG_INHERIT, 0);
    state->formerHandle = GetStdHandle(state->stream);
    SetStdHandle(state->stream, state->write);
    // Detached: a child process may hold the write end open beyond the capture.
    std::thread(readPipe, state).detach();
    return std::make_unique<OutputCapture>(state);
}

OutputCapture::OutputCapture(std::shared_ptr<State> state) : m_state(std::move(state)) {}

OutputCapture::~OutputCapture() {
    SetStdHandle(m_state->stream, m_state->formerHandle);
    CloseHandle(m_state->write);
    m_state->handoff.close(kChildWriterWait);
}

}  // namespace platform
