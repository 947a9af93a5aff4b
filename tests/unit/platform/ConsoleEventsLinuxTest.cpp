// Console control events on Linux: signals reach the handler on a thread of its own, and closing
// and shutdown signals still end the process afterwards.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "platform/ConsoleEvents.h"

namespace {

using namespace std::chrono_literals;

struct HandledEvent {
    unsigned event;
    std::thread::id thread;
};
std::promise<HandledEvent> handledEvent;

bool recordEvent(unsigned event) {
    handledEvent.set_value({event, std::this_thread::get_id()});
    return true;
}

// For the child processes of the death tests: says which event it handled on stderr.
bool announceEvent(unsigned event) {
    std::fprintf(stderr, "handled event %u\n", event);
    return true;
}

bool declineEvent(unsigned event) {
    std::fprintf(stderr, "declined event %u\n", event);
    return false;
}

// Raises `signal` with `handler` registered and waits for the process to end; exit code 3 if it
// does not.
[[noreturn]] void raiseAndWait(platform::ConsoleEventHandler handler, int signal) {
    if (!platform::addConsoleHandler(handler)) std::exit(2);
    raise(signal);
    std::this_thread::sleep_for(10s);
    std::exit(3);
}

std::promise<void> eventAnnounced;

bool announceAndGoOn(unsigned event) {
    announceEvent(event);
    eventAnnounced.set_value();
    return true;
}

// Raises `signal`, says on stderr that the process went on after the handler, then raises it
// again and waits for the process to end; exit code 3 if it does not.
[[noreturn]] void raiseTwiceAndWait(int signal) {
    if (!platform::addConsoleHandler(announceAndGoOn)) std::exit(2);
    raise(signal);
    if (eventAnnounced.get_future().wait_for(10s) != std::future_status::ready) std::exit(4);
    std::this_thread::sleep_for(200ms);
    std::fprintf(stderr, "went on\n");
    raise(signal);
    std::this_thread::sleep_for(10s);
    std::exit(3);
}

// Ignores `signal`, registers a handler, raises the signal and ends with exit code 5 after a
// while (when the signal did not end the process first).
[[noreturn]] void ignoreRaiseAndWait(int signal) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(signal, &ignore, nullptr);
    if (!platform::addConsoleHandler(announceEvent)) std::exit(2);
    raise(signal);
    std::this_thread::sleep_for(500ms);
    std::exit(5);
}

void countSignal(int) {}

TEST(ConsoleEventsOnLinux, HandsCtrlCToTheHandlerOnAnotherThreadAndGoesOn) {
    handledEvent = {};
    std::future<HandledEvent> handled = handledEvent.get_future();
    ASSERT_TRUE(platform::addConsoleHandler(recordEvent));
    raise(SIGINT);
    ASSERT_EQ(handled.wait_for(10s), std::future_status::ready);
    platform::removeConsoleHandler(recordEvent);
    const HandledEvent result = handled.get();
    EXPECT_EQ(result.event, platform::kCtrlC);
    EXPECT_NE(result.thread, std::this_thread::get_id());
}

TEST(ConsoleEventsOnLinux, GoesOnAfterCloseAndShutdownAndEndsAsTheSignalWouldOnTheSecond) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(raiseTwiceAndWait(SIGHUP), testing::KilledBySignal(SIGHUP), "^handled event 2\nwent on\n$");
    EXPECT_EXIT(raiseTwiceAndWait(SIGTERM), testing::KilledBySignal(SIGTERM), "^handled event 6\nwent on\n$");
}

TEST(ConsoleEventsOnLinux, LeavesSignalsIgnoredWhenTheHandlerIsAdded) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGINT, SIGHUP, SIGTERM}) {
        EXPECT_EXIT(ignoreRaiseAndWait(signal), testing::ExitedWithCode(5), "^$") << signal;
    }
}

TEST(ConsoleEventsOnLinux, EndsTheProcessWhenTheHandlerDeclinesCtrlC) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(raiseAndWait(declineEvent, SIGINT), testing::KilledBySignal(SIGINT), "declined event 0\n");
}

// A Java program may call System.exit (and an error report calls exit) while the handler is
// registered: the process ends with that code, not through std::terminate.
TEST(ConsoleEventsOnLinux, LetsTheProcessExitWithItsOwnCodeWhileAHandlerIsRegistered) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (!platform::addConsoleHandler(recordEvent)) std::exit(2);
            std::exit(7);
        },
        testing::ExitedWithCode(7), "");
}

TEST(ConsoleEventsOnLinux, GivesTheSignalsBackToTheirPreviousHandlersOnRemoval) {
    struct sigaction previous {};
    previous.sa_handler = countSignal;
    struct sigaction saved {};
    ASSERT_EQ(sigaction(SIGTERM, &previous, &saved), 0);
    ASSERT_TRUE(platform::addConsoleHandler(recordEvent));
    platform::removeConsoleHandler(recordEvent);
    struct sigaction current {};
    sigaction(SIGTERM, &saved, &current);
    EXPECT_EQ(current.sa_handler, countSignal);
}

}  // namespace
