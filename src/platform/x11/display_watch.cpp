// What the program does when the X server reports an error or goes away.
#include <X11/Xlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "desktop.h"
#include "x11/local.h"

namespace {

std::atomic<unsigned long> errors_seen{0};
std::atomic<int> expecting{0};

// Called by Xlib, on whichever thread made the request, holding Xlib's lock for it.
int note_x_error(Display* display, XErrorEvent* error) {
    ++errors_seen;
    static std::atomic<bool> reported{false};
    if (expecting == 0 && !reported.exchange(true)) {
        char text[160] = "";
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "comets: the X server refused a request (%s, request %d); going on\n",
                     text, error->request_code);
    }
    return 0;
}

// Called by Xlib, on whichever thread noticed, when the connection to the display breaks.
// Returning would let Xlib call exit, and the library's exit-time shutdown would then wait
// for ever on the dead connection; so the process ends here, with calls that are safe while
// another thread is stopped halfway through its work.
int display_lost(Display*) {
    static const char message[] = "comets: lost the connection to the X display\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    _exit(EXIT_FAILURE);
}

}  // namespace

void watch_display() {
    XSetIOErrorHandler(display_lost);
    XSetErrorHandler(note_x_error);
}

XErrorTrap::XErrorTrap() : errors_before_(errors_seen) {
    ++expecting;
}

XErrorTrap::~XErrorTrap() {
    --expecting;
}

bool XErrorTrap::caught() const {
    return errors_seen != errors_before_;
}

void XErrorTrap::reset() {
    errors_before_ = errors_seen;
}

void expect_x_errors_from_now() {
    ++expecting;
}
