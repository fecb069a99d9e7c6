// As a screen saver the program draws into a window it is given: one of xscreensaver's (one a
// monitor, each with a program of its own), a preview box, or the root window. The library
// still makes its windows and maps them in the mode set, but inside a holder of ours that is
// never mapped: they are never seen, take no input and grab nothing. Its frames go into the
// scaling's pixmap, and from there, fitted, into the given window.
#include <cstdio>
#include <cstdlib>

#include "desktop.h"
#include "x11/local.h"

namespace {

Window given = None;

// The window xscreensaver made for this program, or else the root window.
Window saver_window(Display* display) {
    const char* text = std::getenv("XSCREENSAVER_WINDOW");
    char* end = nullptr;
    const unsigned long id = text != nullptr ? std::strtoul(text, &end, 0) : 0;
    if (id != 0 && end != text && *end == '\0') {
        return id;
    }
    return DefaultRootWindow(display);
}

}  // namespace

bool draw_into_given_window(unsigned long id) {
    const LibraryLock lock;
    const LibraryWindows windows = library_windows();
    if (windows.display == nullptr) {
        std::fprintf(stderr, "comets: the library made no window to draw with\n");
        return false;
    }
    Display* display = windows.display;
    const Window target = id != 0 ? id : saver_window(display);
    XWindowAttributes attributes{};
    const XErrorTrap trap;
    if (XGetWindowAttributes(display, target, &attributes) == 0 || trap.caught()) {
        std::fprintf(stderr, "comets: there is no window 0x%lx to draw into\n", target);
        return false;
    }
    // The library maps its windows in the mode set: inside a holder that is never mapped, that
    // shows nothing. They keep only the events the mode set waits for: no input, no exposures.
    const Window holder =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, windows.framed, StructureNotifyMask);
    XSelectInput(display, windows.drawing, NoEventMask);
    XReparentWindow(display, windows.framed, holder, 0, 0);
    XSync(display, False);
    if (trap.caught()) {
        std::fprintf(stderr, "comets: cannot draw into the window 0x%lx\n", target);
        return false;
    }
    given = target;
    return true;
}

bool given_window_in_use() {
    return given != None;
}

bool start_given_window() {
    static bool refused = false;  // said once, not tried again at another depth
    if (refused) {
        return false;
    }
    const LibraryLock lock;
    const LibraryWindows windows = library_windows();
    XWindowAttributes attributes{};
    const char* refusal = "it went away";
    const XErrorTrap trap;
    if (windows.display != nullptr && XGetWindowAttributes(windows.display, given, &attributes)) {
        refusal = start_drawing_into(windows, given, attributes.visual);
    }
    if (refusal != nullptr) {
        std::fprintf(stderr, "comets: cannot draw into the window 0x%lx (%s)\n", given, refusal);
        refused = true;
        return false;
    }
    // The window may be gone by the time the library shuts down, and what was made on it with
    // it: errors are expected from then on.
    on_library_shutdown(expect_x_errors_from_now);
    watch_close_requests();
    start_following(windows, given, fit_picture_to_given_window);
    return true;
}
