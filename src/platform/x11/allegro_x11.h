// The one place that reaches into the library's private X11 state: its connection, its
// windows, its lock, its grabs and its hooks. Everything else in x11/ goes through here, so
// each such reach is in sight, and none changes a thing it has not checked first.
#pragma once

#include <X11/Xlib.h>

// Holds the library's lock for its scope. The library's input thread reads events from the
// same connection and calls its hooks under this lock, and its frame copy draws under it.
class LibraryLock {
public:
    LibraryLock();
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;
};

// The library's connection and windows. A full-screen mode has `full_screen`, the
// override-redirect window over the display, with `drawing` as its child; a windowed one (and
// the library before any mode) has None there, and `drawing` inside `framed`, the window a
// window manager frames, which the library makes as it starts.
struct LibraryWindows {
    Display* display;
    Window full_screen;
    Window framed;
    Window drawing;
    Visual* visual;
    int depth;
    const char* title;
    const char* application_name;
    const char* application_class;
};

// The same lock, for a span that is not one scope.
void lock_library();
void unlock_library();

// The library's background thread, which runs the functions its drivers give it (the X input
// handler) every 10 ms: what starts and stops it and keeps its list. Replaced before
// allegro_init, which starts it; no lock.
struct BackgroundCalls {
    int (*start)();
    void (*stop)();
    int (*add)(void (*function)(int threaded));
    int (*remove)(void (*function)(int threaded));
    void (*enable_interrupts)();
    void (*disable_interrupts)();
    int (*interrupts_disabled)();
};
void replace_background_thread(const BackgroundCalls& calls);

// The rest is called under LibraryLock.

// The library's windows, or a null display where it has none.
LibraryWindows library_windows();

// Grabs the pointer into the drawing window as the library does, or lets it go; and tells the
// library of the pointer's grab and the keyboard's, so it lets go of them at shutdown.
void confine_pointer();
void release_pointer();
void note_keyboard_grab(bool grabbed);

// The library's hooks: where it puts part of the screen into its window, and where it reports
// the pointer's moves and buttons (none without the mouse). Ours take their place (false,
// changing nothing, where the library has no redrawer) until its own are put back. From within
// ours, where the library holds its lock, its own put that part of the screen into `target`
// instead, or take the report.
using Redrawer = void (*)(int x, int y, int width, int height);
using PointerHandler = void (*)(int dx, int dy, int dz, int dw, int buttons);
bool replace_library_hooks(Redrawer redraw, PointerHandler pointer);
void restore_library_hooks();
void redraw_into(Drawable target, int x, int y, int width, int height);
void pass_pointer_on(int dx, int dy, int dz, int dw, int buttons);

// Where the library last put its pointer, in screen pixels.
int library_pointer_x();
int library_pointer_y();

// From then on, whether the window's close was requested: the program's close callback is
// wrapped, and still called.
void watch_close_requests();
bool close_requested();  // any thread, no lock

// Asks the program to end as the close button does.
void request_close();

// Runs `undo` first when the library shuts down, however it is shut down (at exit, or before
// a signal ends the program), while the connection still stands.
void on_library_shutdown(void (*undo)());
