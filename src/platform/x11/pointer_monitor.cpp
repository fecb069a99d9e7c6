// The monitor the full-screen window goes to: the one the pointer is on, noted before the
// library's mode set warps the pointer into its own window.
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <array>
#include <thread>

#include "x11/local.h"

namespace {

bool remembered = false;
XRRMonitorInfo pointer_monitor{};

// Calls `visit` with each monitor as RandR 1.5 reports them; with none where it cannot tell.
template <typename Visit>
void for_each_monitor(Display* display, Visit visit) {
    int first_event = 0, first_error = 0, major = 0, minor = 0, count = 0;
    if (!XRRQueryExtension(display, &first_event, &first_error) ||
        !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105) {
        return;
    }
    // In Xlib's memory, not the program's, which may have run out.
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = 0; i < count; ++i) {
        visit(monitors[i]);
    }
    if (monitors != nullptr) {
        XRRFreeMonitors(monitors);
    }
}

// The monitor the pointer is on; false where it cannot tell.
bool find_pointer_monitor(Display* display, XRRMonitorInfo& found) {
    Window child = None, pointer_root = None;
    int x = 0, y = 0, window_x = 0, window_y = 0;
    unsigned buttons = 0;
    bool on_one = false;
    if (XQueryPointer(display, DefaultRootWindow(display), &pointer_root, &child, &x, &y, &window_x,
                      &window_y, &buttons)) {
        for_each_monitor(display, [&](const XRRMonitorInfo& monitor) {
            if (!on_one && x >= monitor.x && x < monitor.x + monitor.width && y >= monitor.y &&
                y < monitor.y + monitor.height) {
                found = monitor;
                on_one = true;
            }
        });
    }
    return on_one;
}

}  // namespace

void remember_pointer_monitor() {
    const LibraryLock lock;
    const LibraryWindows windows = library_windows();
    remembered =
        windows.display != nullptr && find_pointer_monitor(windows.display, pointer_monitor);
}

// The library's full-screen window covers the whole X screen, which spans every monitor, so a
// window manager would make it full screen on whichever monitor it likes, or cover them all.
void place_on_pointer_monitor(const LibraryWindows& windows) {
    if (!remembered) {
        return;
    }
    XMoveResizeWindow(windows.display, windows.full_screen, pointer_monitor.x, pointer_monitor.y,
                      static_cast<unsigned>(pointer_monitor.width),
                      static_cast<unsigned>(pointer_monitor.height));
    // Placed by the user, as far as the window manager knows: it would otherwise place the window
    // by its own rule (openbox: where the library's warp left the pointer).
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = pointer_monitor.x;
    hints.y = pointer_monitor.y;
    hints.width = pointer_monitor.width;
    hints.height = pointer_monitor.height;
    XSetWMNormalHints(windows.display, windows.full_screen, &hints);
}

// The library's window covered every monitor while it set the mode. A compositor that repaints
// only where a window changes (sway 1.7) goes on showing it, black, on the monitors it has left:
// a window of our own over each of them, shown a moment and taken away, has them repainted.
void repaint_other_monitors(Display* display) {
    if (!remembered) {
        return;
    }
    // A few monitors beside the picture's are as many as a desk holds.
    std::array<Window, 8> covers{};
    std::size_t covered = 0;
    for_each_monitor(display, [&](const XRRMonitorInfo& monitor) {
        if ((monitor.x == pointer_monitor.x && monitor.y == pointer_monitor.y) ||
            covered == covers.size()) {
            return;
        }
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        covers[covered] =
            XCreateWindow(display, DefaultRootWindow(display), monitor.x, monitor.y,
                          static_cast<unsigned>(monitor.width),
                          static_cast<unsigned>(monitor.height), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(display, covers[covered++]);
    });
    if (covered == 0) {
        return;
    }
    // Long enough for the compositor to show them: one it never showed, it does not repaint.
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (std::size_t i = 0; i < covered; ++i) {
        XDestroyWindow(display, covers[i]);
    }
    XSync(display, False);
}
