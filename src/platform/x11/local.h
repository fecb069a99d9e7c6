// What the files of this folder give each other, a section per file. Each file says why it
// does what it does; allegro_x11.h is the one reach into the library's private state.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include "x11/allegro_x11.h"

// The one way this folder waits for the X server or a window manager: looking again and
// again, as their answers come on connections that another thread may be reading. True once
// `done` holds, false once `deadline` has passed.
using Clock = std::chrono::steady_clock;
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

// display_watch.cpp. While a trap stands, errors from the server (a crashed window manager's
// window that is gone, a refused request) are expected and counted, so that what was asked is
// judged by whether any came; otherwise the first is reported as a fault. XSync to see them all.
class XErrorTrap {
public:
    XErrorTrap();
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    bool caught() const;  // since it was set or last reset
    void reset();

private:
    unsigned long errors_before_;
};
// For the library's shutdown, which gives back modes a compositor may refuse to have changed.
void expect_x_errors_from_now();

// own_connection.cpp. A connection to the library's display, opened at the first call (null
// where it cannot be) and closed as the library shuts down. One thread at a time.
Display* own_connection(Display* library_display);

// mode_watch.cpp. Call around set_gfx_mode.
void begin_mode_watch(bool full_screen);
void end_mode_watch();

// pointer_monitor.cpp. Remembering takes LibraryLock; the others are called under it.
void remember_pointer_monitor();
void place_on_pointer_monitor(const LibraryWindows& windows);
void repaint_other_monitors(Display* display);

// handover.cpp. Once the full-screen mode is set; takes LibraryLock where it touches the
// library's state, and not while it waits for the window manager.
void hand_screen_to_window_manager();

// given_window.cpp. Whether the program draws into a window it was given; and the start of the
// drawing there once the mode is set (false, after a one-line reason, where it cannot be).
bool given_window_in_use();
bool start_given_window();

// window_follow.cpp. Starting is under LibraryLock; following takes it where there is a change.
// `fit` is called with each new size of `watched`; its end is a close request.
using Fitter = void (*)(const LibraryWindows& windows, int width, int height);
void start_following(const LibraryWindows& windows, Window watched, Fitter fit);
void follow_window_size();

// scaling.cpp. Under LibraryLock, whenever the full-screen window's size changes.
void fit_picture_to_window(const LibraryWindows& windows, int width, int height);
// As a screen saver, into a window the program was given: started once the mode is set (the
// reason where it cannot be), then fitted to each of its sizes.
const char* start_drawing_into(const LibraryWindows& windows, Window target, Visual* visual);
void fit_picture_to_given_window(const LibraryWindows& windows, int width, int height);
