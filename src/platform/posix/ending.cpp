#include "ending.h"

#include <allegro.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

constexpr int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> received_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "written from a signal handler");

// The ending signals ignored when the program started (a background job of a script starts
// with SIGINT ignored, nohup ignores SIGHUP): they stay ignored. Noted before the library
// starts, as it puts handlers of its own in place.
bool ignored_at_start[NSIG] = {};

// Only records the signal. The handler may interrupt the frame loop or the library's input
// thread halfway through their work, so shutting anything down from here is unsafe; the
// frame loop sees the signal at the top of its next pass.
void record_signal(int signal_number) {
    received_signal.store(signal_number, std::memory_order_relaxed);
}

void catch_signal(int signal_number) {
    struct sigaction action {};
    action.sa_handler = record_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal_number, &action, nullptr);
}

sigset_t ending_signals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal_number : ENDING_SIGNALS) {
        sigaddset(&signals, signal_number);
    }
    return signals;
}

bool ignored(int signal_number) {
    struct sigaction current {};
    sigaction(signal_number, nullptr, &current);
    return current.sa_handler == SIG_IGN;
}

}  // namespace

void hold_ending_signals() {
    for (const int signal_number : ENDING_SIGNALS) {
        ignored_at_start[signal_number] = ignored(signal_number);
    }
    const sigset_t signals = ending_signals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void install_ending_handlers() {
    for (const int signal_number : ENDING_SIGNALS) {
        if (ignored_at_start[signal_number]) {
            std::signal(signal_number, SIG_IGN);
        } else {
            catch_signal(signal_number);
        }
    }
    // A write to a connection the X server has closed would otherwise end the process by
    // SIGPIPE (status 141) before Xlib sees the error; ignored, the write fails, and the
    // display's watch says what happened.
    std::signal(SIGPIPE, SIG_IGN);
    // A signal held since hold_ending_signals is delivered now, to the handler above.
    const sigset_t signals = ending_signals();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

int ending_signal() {
    return received_signal.load(std::memory_order_relaxed);
}

void end_by_signal(int signal_number) {
    allegro_exit();
    // The library's shutdown put back the handlers it found at start-up, which may have
    // ignored the signal.
    end_by_signal_at_once(signal_number);
}

void end_by_signal_at_once(int signal_number) {
    std::signal(signal_number, SIG_DFL);
    // Only this thread is sure to have it unblocked.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, signal_number);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    std::raise(signal_number);
    _exit(128 + signal_number);  // the default action of these signals ends the process
}
