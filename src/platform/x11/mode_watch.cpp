// While the library sets the graphics mode it waits, holding its lock, until the X server
// reports its new window mapped, and waits without end if that never happens: a window manager
// that is just starting (a session's autostart) can take the request to map the window and
// never act on it. A thread of ours watches meanwhile, on the program's own connection. It
// never reads the library's state, which the library changes meanwhile: what it needs is
// taken before it starts. Meanwhile a signal to end ends the program at once, by that signal.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "ending.h"
#include "x11/local.h"

namespace {

// A mode set normally takes some milliseconds: after this the window is asked for again, each
// time this long, and after GIVE_UP the program ends with a reason.
constexpr auto NUDGE_EVERY = std::chrono::seconds(1);
constexpr auto GIVE_UP = std::chrono::seconds(10);
// A signal that the mode set has not come back from by then ends the program at once; the
// library's mode switch itself comes only after the wait, so none is undone that way.
constexpr auto SIGNAL_GRACE = std::chrono::milliseconds(100);
constexpr auto STEP = std::chrono::milliseconds(20);

std::atomic<bool> mode_set{false};
std::thread watcher;

// The library waits for a MapNotify of its window. Where the window is not mapped, it is asked
// for again, which a window manager now running acts on; where it is, the MapNotify the
// library missed is sent to it.
void nudge(Display* connection, Window window) {
    XWindowAttributes attributes{};
    if (window == None || XGetWindowAttributes(connection, window, &attributes) == 0) {
        return;
    }
    if (attributes.map_state == IsUnmapped) {
        XMapWindow(connection, window);
    } else {
        XEvent event{};
        event.xmap.type = MapNotify;
        event.xmap.event = window;
        event.xmap.window = window;
        XSendEvent(connection, window, False, StructureNotifyMask, &event);
    }
    XFlush(connection);
}

// In a window the library waits for the window a window manager frames, which it made as it
// started: `awaited`. Full screen it waits for an override-redirect window, which no window
// manager can hold back, so there is nothing to ask for again (None): only a signal or the
// time limit to watch for.
void watch_mode_set(Display* connection, Window awaited) {
    const Clock::time_point start = Clock::now();
    Clock::time_point next_nudge = start + NUDGE_EVERY;
    Clock::time_point signalled{};
    poll_until(Clock::time_point::max(), STEP, [&] {
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
        if (now >= next_nudge && connection != nullptr) {
            next_nudge = now + NUDGE_EVERY;
            nudge(connection, awaited);
        }
        return mode_set.load();
    });
}

}  // namespace

void begin_mode_watch(bool full_screen) {
    Display* connection = nullptr;
    Window awaited = None;
    if (!full_screen) {
        const LibraryLock lock;
        const LibraryWindows windows = library_windows();
        if (windows.display != nullptr) {
            connection = own_connection(windows.display);
            awaited = windows.framed;
        }
    }
    mode_set = false;
    try {
        watcher = std::thread(watch_mode_set, connection, awaited);
    } catch (const std::exception&) {
        // No memory or no thread to be had: the mode is set unwatched, as the library does.
    }
}

void end_mode_watch() {
    mode_set = true;
    if (watcher.joinable()) {
        watcher.join();
    }
}
