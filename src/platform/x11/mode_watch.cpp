// While the library sets the graphics mode it waits, holding its lock, until the X server
// reports its new window mapped, and waits without end if that never happens: a window manager
// that is just starting (a session's autostart) can take the request to map the window and
// never act on it. A thread of ours watches meanwhile, on a connection of its own.
#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/desktop.h"
#include "platform/ending.h"
#include "platform/x11/allegro_x11.h"
#include "platform/x11/pointer_monitor.h"

namespace {

using Clock = std::chrono::steady_clock;

// A mode set normally takes some milliseconds: after this the window is asked for again, each
// time this long, and after GIVE_UP the program ends with a reason.
constexpr auto NUDGE_EVERY = std::chrono::seconds(1);
constexpr auto GIVE_UP = std::chrono::seconds(10);
// A signal that the mode set has not come back from by then ends the program at once; the
// library's mode switch itself comes only after the wait, so none is undone that way.
constexpr auto SIGNAL_GRACE = std::chrono::milliseconds(100);

std::mutex watch_mutex;
std::condition_variable watch_done;
bool mode_set = false;
std::thread watcher;

// The library waits for a MapNotify of its window. Where the window is not mapped, it is asked
// for again, which a window manager now running acts on; where it is, the MapNotify the
// library missed is sent to it.
void nudge(Display* own_connection, Window window) {
    XWindowAttributes attributes{};
    if (window == None || XGetWindowAttributes(own_connection, window, &attributes) == 0) {
        return;
    }
    if (attributes.map_state == IsUnmapped) {
        XMapWindow(own_connection, window);
    } else {
        XEvent event{};
        event.xmap.type = MapNotify;
        event.xmap.event = window;
        event.xmap.window = window;
        XSendEvent(own_connection, window, False, StructureNotifyMask, &event);
    }
    XFlush(own_connection);
}

void watch_mode_set(bool full_screen) {
    const Clock::time_point start = Clock::now();
    Clock::time_point next_nudge = start + NUDGE_EVERY;
    Clock::time_point signalled{};
    Display* own_connection = nullptr;
    std::unique_lock<std::mutex> lock(watch_mutex);
    while (!watch_done.wait_for(lock, std::chrono::milliseconds(20), [] { return mode_set; })) {
        const Clock::time_point now = Clock::now();
        if (const int signal_number = ending_signal(); signal_number != 0) {
            if (signalled == Clock::time_point{}) {
                signalled = now;
            } else if (now - signalled >= SIGNAL_GRACE) {
                end_by_signal_at_once(signal_number);
            }
        }
        if (now >= start + GIVE_UP) {
            std::fprintf(stderr, "comets: the window manager did not show the window within %d s\n",
                         static_cast<int>(std::chrono::seconds(GIVE_UP).count()));
            std::_Exit(EXIT_FAILURE);
        }
        if (now >= next_nudge) {
            next_nudge = now + NUDGE_EVERY;
            if (own_connection == nullptr) {
                own_connection = XOpenDisplay(nullptr);
            }
            if (own_connection != nullptr) {
                nudge(own_connection, window_being_mapped(full_screen));
            }
        }
    }
    if (own_connection != nullptr) {
        XCloseDisplay(own_connection);
    }
}

}  // namespace

void begin_mode_watch(bool full_screen) {
    if (full_screen) {
        remember_pointer_monitor();
    }
    mode_set = false;
    try {
        watcher = std::thread(watch_mode_set, full_screen);
    } catch (const std::exception&) {
        // No memory or no thread to be had: the mode is set unwatched, as the library does.
    }
}

void end_mode_watch() {
    {
        const std::lock_guard<std::mutex> lock(watch_mutex);
        mode_set = true;
    }
    watch_done.notify_one();
    if (watcher.joinable()) {
        watcher.join();
    }
}
