// The one way this folder waits for the X server or a window manager: looking again and again,
// as their answers come on connections that another thread may be reading.
#pragma once

#include <chrono>
#include <thread>

using Clock = std::chrono::steady_clock;

// Looks at `done` every `step` until it holds (true) or `deadline` passes (false).
template <typename Done>
bool poll_until(Clock::time_point deadline, Clock::duration step, Done done) {
    for (;;) {
        if (done()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(step);
    }
}
