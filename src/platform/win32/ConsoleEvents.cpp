// Console control events on Windows: the system calls the handler on a thread of its own for
// each event.
#include "platform/ConsoleEvents.h"

#include <atomic>

#include "platform/win32/Win32.h"

namespace platform {
namespace {

// The one registered handler. It stays set after removal, since an event thread that the system
// started just before may still be about to call it.
std::atomic<ConsoleEventHandler> registeredHandler{nullptr};

BOOL WINAPI dispatchEvent(DWORD event) {
    const ConsoleEventHandler handler = registeredHandler.load();
    return handler != nullptr && handler(event) ? TRUE : FALSE;
}

}  // namespace

bool addConsoleHandler(ConsoleEventHandler handler) {
    registeredHandler.store(handler);
    return SetConsoleCtrlHandler(dispatchEvent, TRUE) != FALSE;
}

void removeConsoleHandler(ConsoleEventHandler handler) {
    if (registeredHandler.load() != handler) return;
    SetConsoleCtrlHandler(dispatchEvent, FALSE);
}

}  // namespace platform
