#include "x11/pointer_monitor.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <array>
#include <thread>

namespace {

bool remembered = false;
XRRMonitorInfo pointer_monitor{};

// The monitors as RandR 1.5 reports them, in Xlib's memory (the program's own may have run
// out): an empty list where it cannot tell.
class Monitors {
public:
    explicit Monitors(Display* display) {
        int first_event = 0, first_error = 0, major = 0, minor = 0;
        if (XRRQueryExtension(display, &first_event, &first_error) &&
            XRRQueryVersion(display, &major, &minor) && major * 100 + minor >= 105) {
            list_ = XRRGetMonitors(display, DefaultRootWindow(display), True, &count_);
        }
    }
    ~Monitors() {
        if (list_ != nullptr) {
            XRRFreeMonitors(list_);
        }
    }
    Monitors(const Monitors&) = delete;
    Monitors& operator=(const Monitors&) = delete;
    const XRRMonitorInfo* begin() const {
        return list_;
    }
    const XRRMonitorInfo* end() const {
        return list_ != nullptr ? list_ + count_ : nullptr;
    }

private:
    XRRMonitorInfo* list_ = nullptr;
    int count_ = 0;
};

bool holds(const XRRMonitorInfo& monitor, int x, int y) {
    return x >= monitor.x && x < monitor.x + monitor.width && y >= monitor.y &&
           y < monitor.y + monitor.height;
}

// The monitor the pointer is on; false where it cannot tell.
bool find_pointer_monitor(Display* display, XRRMonitorInfo& found) {
    Window child = None, pointer_root = None;
    int x = 0, y = 0, window_x = 0, window_y = 0;
    unsigned buttons = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &pointer_root, &child, &x, &y,
                       &window_x, &window_y, &buttons)) {
        return false;
    }
    for (const XRRMonitorInfo& monitor : Monitors(display)) {
        if (holds(monitor, x, y)) {
            found = monitor;
            return true;
        }
    }
    return false;
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

void repaint_other_monitors(Display* display) {
    if (!remembered) {
        return;
    }
    // A few monitors beside the picture's are as many as a desk holds.
    std::array<Window, 8> covers{};
    std::size_t covered = 0;
    for (const XRRMonitorInfo& monitor : Monitors(display)) {
        if ((monitor.x == pointer_monitor.x && monitor.y == pointer_monitor.y) ||
            covered == covers.size()) {
            continue;
        }
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        const Window cover =
            XCreateWindow(display, DefaultRootWindow(display), monitor.x, monitor.y,
                          static_cast<unsigned>(monitor.width),
                          static_cast<unsigned>(monitor.height), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(display, cover);
        covers[covered++] = cover;
    }
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
