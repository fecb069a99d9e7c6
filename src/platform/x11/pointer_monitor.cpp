#include "platform/x11/pointer_monitor.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

namespace {

bool remembered = false;
XRRMonitorInfo pointer_monitor{};

// The monitor the pointer is on, as RandR 1.5 reports monitors; false where it cannot tell.
bool find_pointer_monitor(Display* display, XRRMonitorInfo& found) {
    const Window root = DefaultRootWindow(display);
    Window child = None, pointer_root = None;
    int x = 0, y = 0, window_x = 0, window_y = 0;
    unsigned buttons = 0;
    int first_event = 0, first_error = 0, major = 0, minor = 0;
    if (!XQueryPointer(display, root, &pointer_root, &child, &x, &y, &window_x, &window_y,
                       &buttons) ||
        !XRRQueryExtension(display, &first_event, &first_error) ||
        !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105) {
        return false;
    }
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
    bool on_one = false;
    for (int i = 0; i < count && !on_one; ++i) {
        const XRRMonitorInfo& monitor = monitors[i];
        if (x >= monitor.x && x < monitor.x + monitor.width && y >= monitor.y &&
            y < monitor.y + monitor.height) {
            found = monitor;
            on_one = true;
        }
    }
    if (monitors != nullptr) {
        XRRFreeMonitors(monitors);
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
