// Capturing a standard stream on Windows: an anonymous pipe becomes the process's standard handle,
// and a thread of its own reads it. A Java VM takes its streams' handles (and its C runtime, loaded
// with it, its descriptors) from the standard handles when it starts.
#include "platform/OutputCapture.h"

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

void OutputCapture::drain() {
    for (int waited = 0; waited < 1000; waited += 10) {
        DWORD pending = 0;
        if (!PeekNamedPipe(m_state->read, nullptr, 0, nullptr, &pending, nullptr) || pending == 0) break;
        Sleep(10);
    }
    // The reader may hold bytes it has just read: they have reached the sink once it lets go.
    Sleep(10);
    const std::lock_guard<std::mutex> lock(m_state->mutex);
}

OutputCapture::~OutputCapture() {
    drain();
    SetStdHandle(m_state->stream, m_state->formerHandle);
    CloseHandle(m_state->write);
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->closed = true;
}

}  // namespace platform
