// Console control events on Linux: SIGINT, SIGHUP and SIGTERM. The signal handler only writes the
// signal's number to a pipe; a dispatcher thread reads it and hands each event to a thread of its
// own, where the registered handler may do what a signal handler must not (attach to the Java VM).
#include "platform/ConsoleEvents.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>
#include <thread>

#include "platform/posix/Posix.h"

namespace platform {
namespace {

struct SignalEvent {
    int signal;
    ConsoleEvent event;
};
constexpr SignalEvent kSignalEvents[] = {{SIGINT, kCtrlC}, {SIGHUP, kClose}, {SIGTERM, kShutdown}};
constexpr std::size_t kSignalCount = std::size(kSignalEvents);

// Tells the dispatcher to end; no signal has the number 0.
constexpr unsigned char kStopDispatcher = 0;

// The pipe is made once and kept for the life of the process, so that a signal handler still
// running after removal never writes to a descriptor that was closed and handed out again.
int pipeReadEnd = -1;
std::atomic<int> pipeWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the pipe's end");

std::atomic<ConsoleEventHandler> registeredHandler{nullptr};
struct sigaction previousActions[kSignalCount];
// Set by the first closing or shutdown signal; the next one ends the process at once, for a
// program that does not end by itself.
std::atomic<bool> closingSignalSeen{false};
// Never destroyed: a process that ends through exit() while a handler is registered (a Java
// program calling System.exit, an error report) would otherwise destroy a joinable std::thread,
// which calls std::terminate.
std::thread& dispatcher = *new std::thread;

void onSignal(int signal) {
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    // The write end does not block: with a full pipe the event is lost, the thread never stalls.
    [[maybe_unused]] const ssize_t written = write(pipeWriteEnd.load(), &number, 1);
    errno = savedErrno;
}

// Ends the process as `signal` ends it when nobody catches it.
void endAsSignalWould(int signal) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigaction(signal, &defaultAction, nullptr);
    sigset_t onlyThis;
    sigemptyset(&onlyThis);
    sigaddset(&onlyThis, signal);
    pthread_sigmask(SIG_UNBLOCK, &onlyThis, nullptr);
    raise(signal);
}

void handleEvent(SignalEvent signalEvent) {
    if (!registeredHandler.load()(signalEvent.event)) endAsSignalWould(signalEvent.signal);
}

void dispatchEvent(unsigned char number) {
    for (const SignalEvent& signalEvent : kSignalEvents) {
        if (signalEvent.signal != number) continue;
        if (signalEvent.event != kCtrlC && closingSignalSeen.exchange(true)) endAsSignalWould(signalEvent.signal);
        try {
            std::thread(handleEvent, signalEvent).detach();
        } catch (...) {
            // No thread to be had: handling the event here beats losing it.
            handleEvent(signalEvent);
        }
    }
}

void dispatchEvents() {
    for (;;) {
        unsigned char number = kStopDispatcher;
        const ssize_t count = read(pipeReadEnd, &number, 1);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0 || number == kStopDispatcher) return;
        dispatchEvent(number);
    }
}

bool openPipe() {
    if (pipeReadEnd >= 0) return true;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    fcntl(ends[1], F_SETFL, O_NONBLOCK);
    pipeReadEnd = ends[0];
    pipeWriteEnd.store(ends[1]);
    return true;
}

void stopDispatcher() {
    // The dispatcher drains the pipe, so a full pipe has room again after a moment.
    while (write(pipeWriteEnd.load(), &kStopDispatcher, 1) != 1) std::this_thread::yield();
    dispatcher.join();
}

void restoreActions(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) sigaction(kSignalEvents[i].signal, &previousActions[i], nullptr);
}

bool isIgnored(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}

bool installActions() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignalCount; ++i) {
        const int signal = kSignalEvents[i].signal;
        // A signal ignored since the start stays ignored (nohup, background jobs); the Java VM
        // leaves such signals alone too.
        if (sigaction(signal, nullptr, &previousActions[i]) == 0 && isIgnored(previousActions[i])) continue;
        if (sigaction(signal, &action, &previousActions[i]) == 0) continue;
        restoreActions(i);
        return false;
    }
    return true;
}

}  // namespace

bool addConsoleHandler(ConsoleEventHandler handler) {
    registeredHandler.store(handler);
    if (dispatcher.joinable()) return true;
    if (!openPipe()) return false;
    try {
        dispatcher = std::thread(dispatchEvents);
    } catch (...) {
        return false;
    }
    if (installActions()) return true;
    stopDispatcher();
    return false;
}

void removeConsoleHandler(ConsoleEventHandler handler) {
    if (!dispatcher.joinable() || registeredHandler.load() != handler) return;
    // The Java VM's own handlers (or the defaults) take these signals back.
    restoreActions(kSignalCount);
    stopDispatcher();
}

}  // namespace platform
