#include "x11/allegro_x11.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <allegro/platform/aintunix.h>
#include <xalleg.h>

#include <atomic>

LibraryLock::LibraryLock() {
    lock_library();
}

LibraryLock::~LibraryLock() {
    unlock_library();
}

void lock_library() {
    XLOCK();
}

void unlock_library() {
    XUNLOCK();
}

namespace {

// The library's own hooks, kept while ours are in place.
Redrawer own_redraw = nullptr;
PointerHandler own_pointer = nullptr;

// The program's close callback, called by the library's input thread, and whether it was.
void (*program_close_callback)() = nullptr;
std::atomic<bool> close_asked{false};

void note_close_request() {
    close_asked = true;
    if (program_close_callback != nullptr) {
        program_close_callback();
    }
}

// Whether `child` is a direct child of `parent`.
bool child_of(Display* display, Window child, Window parent) {
    Window root = None, found_parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, child, &root, &found_parent, &children, &count) == 0) {
        return false;
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found_parent == parent;
}

}  // namespace

void replace_background_thread(const BackgroundCalls& calls) {
    // The X system driver starts the thread through this, its POSIX threads version.
    _bg_man_pthreads.init = calls.start;
    _bg_man_pthreads.exit = calls.stop;
    _bg_man_pthreads.register_func = calls.add;
    _bg_man_pthreads.unregister_func = calls.remove;
    _bg_man_pthreads.enable_interrupts = calls.enable_interrupts;
    _bg_man_pthreads.disable_interrupts = calls.disable_interrupts;
    _bg_man_pthreads.interrupts_disabled = calls.interrupts_disabled;
}

LibraryWindows library_windows() {
    LibraryWindows windows{};
    if (_xwin.display == nullptr || _xwin.window == None) {
        return windows;
    }
    // The drawing window must sit in the window the mode made for it, or the library's windows
    // are not what the rest of this folder takes them for.
    const Window holder = _xwin.fs_window != None ? _xwin.fs_window : _xwin.wm_window;
    if (holder == None || !child_of(_xwin.display, _xwin.window, holder)) {
        return windows;
    }
    windows.display = _xwin.display;
    windows.full_screen = _xwin.fs_window;
    windows.framed = _xwin.wm_window;
    windows.drawing = _xwin.window;
    windows.visual = _xwin.visual;
    windows.depth = _xwin.window_depth;
    windows.title = _xwin.window_title;
    windows.application_name = _xwin.application_name;
    windows.application_class = _xwin.application_class;
    return windows;
}

void confine_pointer() {
    _xwin.mouse_grabbed =
        XGrabPointer(_xwin.display, _xwin.window, False,
                     PointerMotionMask | ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                     GrabModeAsync, _xwin.window, None, CurrentTime) == GrabSuccess;
}

void release_pointer() {
    XUngrabPointer(_xwin.display, CurrentTime);
    _xwin.mouse_grabbed = 0;
}

void note_keyboard_grab(bool grabbed) {
    _xwin.keyboard_grabbed = grabbed ? 1 : 0;
}

bool replace_library_hooks(Redrawer redraw, PointerHandler pointer) {
    if (_xwin_window_redrawer == nullptr) {
        return false;
    }
    own_redraw = _xwin_window_redrawer;
    own_pointer = _xwin_mouse_interrupt;
    _xwin_window_redrawer = redraw;
    if (own_pointer != nullptr) {
        _xwin_mouse_interrupt = pointer;
    }
    return true;
}

void restore_library_hooks() {
    if (own_redraw != nullptr) {
        _xwin_window_redrawer = own_redraw;
        _xwin_mouse_interrupt = own_pointer;
        own_redraw = nullptr;
        own_pointer = nullptr;
    }
}

void redraw_into(Drawable target, int x, int y, int width, int height) {
    const Window shown = _xwin.window;
    _xwin.window = target;
    own_redraw(x, y, width, height);
    _xwin.window = shown;
}

void pass_pointer_on(int dx, int dy, int dz, int dw, int buttons) {
    own_pointer(dx, dy, dz, dw, buttons);
}

int library_pointer_x() {
    return _mouse_x;
}

int library_pointer_y() {
    return _mouse_y;
}

void watch_close_requests() {
    if (_xwin.close_button_callback != note_close_request) {
        program_close_callback = _xwin.close_button_callback;
        _xwin.close_button_callback = note_close_request;
    }
}

bool close_requested() {
    return close_asked;
}

void request_close() {
    if (_xwin.close_button_callback != nullptr) {
        _xwin.close_button_callback();
    }
}

void on_library_shutdown(void (*undo)()) {
    // The library runs its exit functions first thing in its shutdown, newest first.
    _add_exit_func(undo, "comets: the desktop's changes");
}
