// The library's background thread runs its input handler (which reads the X connection and
// then waits for the X server with XSync) every 10 ms, and in between wakes every millisecond
// to look at the clock: about 900 wake-ups a second that do nothing, on an idle machine too.
// This one runs the same functions at the same 10 ms, sleeping in between. Without input of
// its own (a screen saver) there is no such thread: only the events of the library's hidden
// windows would come to it, none of which asks anything of it, and each frame waits for the X
// server itself.
#include <pthread.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <csignal>
#include <mutex>

#include "desktop.h"
#include "x11/local.h"

namespace {

using Function = void (*)(int threaded);

struct Background {
    std::mutex mutex;
    std::condition_variable changed;  // stopping, or interrupts enabled again
    std::array<Function, 16> functions{};
    int disabled = 0;  // how deep the library has disabled its "interrupts"
    bool stopping = false;
    Clock::duration period = std::chrono::milliseconds(10);  // zero: no thread
    // POSIX's own: a std::thread takes memory from operator new, which the program may be
    // out of, and must then still start and say so.
    pthread_t thread{};
    bool running = false;
};
Background background;

void* run(void*) {
    std::unique_lock<std::mutex> lock(background.mutex);
    Clock::time_point due = Clock::now();
    while (!background.stopping) {
        due += background.period;
        const Clock::time_point now = Clock::now();
        if (due < now) {
            due = now;  // late (a suspended machine): on from now, without a burst to catch up
        }
        background.changed.wait_until(lock, due, [] { return background.stopping; });
        background.changed.wait(lock,
                                [] { return background.disabled == 0 || background.stopping; });
        if (!background.stopping) {
            for (const Function function : background.functions) {
                if (function != nullptr) {
                    function(1);
                }
            }
        }
    }
    return nullptr;
}

int start() {
    if (background.period == Clock::duration::zero()) {
        return 0;
    }
    // Signals go to the program's main thread, never to this one.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    background.stopping = false;
    background.running = pthread_create(&background.thread, nullptr, run, nullptr) == 0;
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return background.running ? 0 : -1;
}

void stop() {
    {
        const std::lock_guard<std::mutex> lock(background.mutex);
        background.stopping = true;
    }
    background.changed.notify_all();
    // The library shuts down from this thread where a function it runs ends the program.
    if (background.running && !pthread_equal(background.thread, pthread_self())) {
        pthread_join(background.thread, nullptr);
    }
    background.running = false;
}

int add(Function function) {
    const std::lock_guard<std::mutex> lock(background.mutex);
    const auto free = std::find(background.functions.begin(), background.functions.end(), nullptr);
    if (free == background.functions.end()) {
        return -1;
    }
    *free = function;
    return 0;
}

// From the thread itself (a function that ends the program), its lock is held already.
int remove(Function function) {
    std::unique_lock<std::mutex> lock(background.mutex, std::defer_lock);
    if (!background.running || !pthread_equal(background.thread, pthread_self())) {
        lock.lock();
    }
    const auto found =
        std::find(background.functions.begin(), background.functions.end(), function);
    if (found == background.functions.end()) {
        return -1;
    }
    *found = nullptr;
    return 0;
}

void enable() {
    {
        const std::lock_guard<std::mutex> lock(background.mutex);
        background.disabled = std::max(0, background.disabled - 1);
    }
    background.changed.notify_all();
}

void disable() {
    const std::lock_guard<std::mutex> lock(background.mutex);
    ++background.disabled;
}

int disabled() {
    const std::lock_guard<std::mutex> lock(background.mutex);
    return background.disabled;
}

}  // namespace

void prepare_desktop(bool input) {
    if (!input) {
        background.period = Clock::duration::zero();
    }
    replace_background_thread({start, stop, add, remove, enable, disable, disabled});
}
