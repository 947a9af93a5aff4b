// Capturing a standard stream on Windows: an anonymous pipe becomes the process's standard handle,
// and a thread of its own reads it. A Java VM takes its streams' handles (and its C runtime, loaded
// with it, its descriptors) from the standard handles when it starts.
//
// The pipe's ends are synchronous, and Windows lets one call at a time work on such a handle: while
// the reader waits in ReadFile, PeekNamedPipe on the same end would wait too. So the end of the
// capture looks at the pipe only through the reader, which meets the pipe's end once every write
// end is closed.
#include "platform/OutputCapture.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/win32/Win32.h"

namespace platform {

struct OutputCapture::State {
    Sink sink;
    DWORD stream;  // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    HANDLE formerHandle = nullptr;
    std::mutex mutex;  // held while bytes that left the pipe go to the sink
    std::condition_variable pipeEnded;
    bool ended = false;   // the reader has read everything; guarded by mutex
    bool closed = false;  // guarded by mutex
};

namespace {

// Reads until the pipe is broken; the sink is called while the capture lives.
void readPipe(const std::shared_ptr<OutputCapture::State>& state) {
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(state->read, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        const std::lock_guard<std::mutex> lock(state->mutex);
        if (!state->closed) state->sink(std::string(buffer, count));
    }
    CloseHandle(state->read);
    const std::lock_guard<std::mutex> lock(state->mutex);
    state->ended = true;
    state->pipeEnded.notify_all();
}

}  // namespace

std::unique_ptr<OutputCapture> OutputCapture::start(StandardStream stream, Sink sink) {
    auto state = std::make_shared<State>();
    state->sink = std::move(sink);
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
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->pipeEnded.wait_for(lock, kChildWriterWait, [this] { return m_state->ended; });
    m_state->closed = true;
}

}  // namespace platform
