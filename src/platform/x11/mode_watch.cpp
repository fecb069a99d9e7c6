// While the library sets the graphics mode it waits, holding its lock, until the X server
// reports its new window mapped, and waits without end if that never happens: a window manager
// that is just starting (a session's autostart) can take the request to map the window and
// never act on it. A thread of ours watches meanwhile, on the program's own connection. It
// never reads the library's state, which the library changes meanwhile: what it needs is
// taken before it starts, and the full-screen window the mode set makes is told by the server.
#include "x11/mode_watch.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "ending.h"
#include "x11/allegro_x11.h"
#include "x11/own_connection.h"
#include "x11/wait.h"

// Last: for the connection's resource mask. Its min and max macros would break what follows.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace {

// A mode set normally takes some milliseconds: after this the window is asked for again, each
// time this long, and after GIVE_UP the program ends with a reason.
constexpr auto NUDGE_EVERY = std::chrono::seconds(1);
constexpr auto GIVE_UP = std::chrono::seconds(10);
// A signal that the mode set has not come back from by then ends the program at once; the
// library's mode switch itself comes only after the wait, so none is undone that way.
constexpr auto SIGNAL_GRACE = std::chrono::milliseconds(100);
constexpr auto STEP = std::chrono::milliseconds(20);

struct Watch {
    Display* connection;  // the program's own
    bool full_screen;
    // In a window the library waits for the window a window manager frames, which it made as
    // it started; full screen, for an override-redirect window over the display that it makes
    // in the mode set, told apart from other clients' windows by the bits of its id that every
    // window of the library's connection shares.
    Window awaited;
    XID library_client;
};

std::atomic<bool> mode_set{false};
std::thread watcher;
Display* watching_root = nullptr;  // the connection that selected the root's events

XID client_of(Display* connection, XID id) {
    return id & ~connection->resource_mask;
}

// The full-screen window, once the server has reported it created.
Window created_window(const Watch& watch) {
    Window found = None;
    while (XPending(watch.connection) > 0) {
        XEvent event;
        XNextEvent(watch.connection, &event);
        const XCreateWindowEvent& created = event.xcreatewindow;
        if (event.type == CreateNotify && created.override_redirect &&
            client_of(watch.connection, created.window) == watch.library_client) {
            found = created.window;
        }
    }
    return found;
}

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

void watch_mode_set(Watch watch) {
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
        if (now >= next_nudge && watch.connection != nullptr) {
            next_nudge = now + NUDGE_EVERY;
            if (watch.full_screen) {
                if (const Window created = created_window(watch); created != None) {
                    watch.awaited = created;
                }
            }
            nudge(watch.connection, watch.awaited);
        }
        return mode_set.load();
    });
}

}  // namespace

void begin_mode_watch(bool full_screen) {
    Watch watch{nullptr, full_screen, None, 0};
    {
        const LibraryLock lock;
        const LibraryWindows windows = library_windows();
        if (windows.display != nullptr) {
            watch.connection = own_connection(windows.display);
            watch.awaited = full_screen ? None : windows.framed;
            if (watch.connection != nullptr) {
                watch.library_client = client_of(watch.connection, windows.framed);
            }
        }
    }
    if (watch.connection != nullptr && full_screen) {
        // Selected before the mode set begins, so its window's creation is not missed.
        watching_root = watch.connection;
        XSelectInput(watching_root, DefaultRootWindow(watching_root), SubstructureNotifyMask);
        XSync(watching_root, False);
    }
    mode_set = false;
    try {
        watcher = std::thread(watch_mode_set, watch);
    } catch (const std::exception&) {
        // No memory or no thread to be had: the mode is set unwatched, as the library does.
    }
}

void end_mode_watch() {
    mode_set = true;
    if (watcher.joinable()) {
        watcher.join();
    }
    // The root's events are not wanted any more, nor those still queued.
    if (watching_root != nullptr) {
        XSelectInput(watching_root, DefaultRootWindow(watching_root), NoEventMask);
        XSync(watching_root, True);
        watching_root = nullptr;
    }
}
