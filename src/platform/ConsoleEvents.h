// Console control events: Ctrl+C, Ctrl+Break, closing the console, logoff and shutdown. On Linux
// they are signals: SIGINT is Ctrl+C, SIGHUP closing, SIGTERM shutdown.
#pragma once

namespace platform {

// Event numbers as Windows defines them.
enum ConsoleEvent : unsigned {
    kCtrlC = 0,
    kCtrlBreak = 1,
    kClose = 2,
    kLogoff = 5,
    kShutdown = 6,
};

// Answers one event; true when it was handled, false to pass it on.
using ConsoleEventHandler = bool (*)(unsigned event);

// Registers `handler`; every event is handled on a thread of its own, never inside a signal
// handler. On Linux an event the handler passes on ends the process as its signal would; a
// handled one lets the process go on, but a second closing or shutdown signal ends it at once as
// that signal would; a signal ignored when the handler is registered stays ignored. False when
// the handler cannot be registered.
bool addConsoleHandler(ConsoleEventHandler handler);

// Removes a handler that `addConsoleHandler` registered; nothing happens when it was not.
void removeConsoleHandler(ConsoleEventHandler handler);

}  // namespace platform
