// The window manager may change the full-screen window's size at any time after the hand-over:
// when it has finished placing it (a compositor resizes it from the whole X screen to one
// monitor only after it reported it full screen), on another monitor, on a resolution or
// scale change; a screen saver's window changes with its monitor, and goes away when the saver
// is done. The changes come as ConfigureNotify and DestroyNotify, on the program's own
// connection, and the picture is fitted again to each; one look at the connection a frame
// where nothing came.
#include "x11/local.h"

namespace {

LibraryWindows followed{};
Window watched = None;
Fitter fitter = nullptr;
Display* connection = nullptr;  // while following
int fitted_width = 0, fitted_height = 0;

void fit(int width, int height) {
    fitter(followed, width, height);
    fitted_width = width;
    fitted_height = height;
}

}  // namespace

void start_following(const LibraryWindows& windows, Window window, Fitter fit_to) {
    connection = own_connection(windows.display);
    if (connection == nullptr) {
        return;
    }
    followed = windows;
    watched = window;
    fitter = fit_to;
    const XErrorTrap trap;
    XSelectInput(connection, watched, StructureNotifyMask);
    XSync(connection, False);
    // Selected first, so no change between this look and the first event is missed.
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(windows.display, watched, &attributes) != 0) {
        fit(attributes.width, attributes.height);
    }
}

void follow_window_size() {
    // Only the last size counts: a window manager often sends several on the way, and moves
    // come as ConfigureNotify too.
    int width = 0, height = 0;
    bool gone = false;
    while (connection != nullptr && XPending(connection) > 0) {
        XEvent event;
        XNextEvent(connection, &event);
        if (event.type == ConfigureNotify && event.xconfigure.window == watched) {
            width = event.xconfigure.width;
            height = event.xconfigure.height;
        }
        gone = gone || (event.type == DestroyNotify && event.xdestroywindow.window == watched);
    }
    if (gone) {
        const LibraryLock lock;
        request_close();
    } else if (width > 0 && height > 0 && (width != fitted_width || height != fitted_height)) {
        const LibraryLock lock;
        fit(width, height);
    }
}
