// The program's own connection to the library's display.
#pragma once

#include <X11/Xlib.h>

// The library's input thread takes every event from the library's connection and drops those
// it has no use for, so the events the program waits for come on a connection of its own: to
// the display `library_display` is connected to, opened at the first call (null where it
// cannot be), and closed as the library shuts down. One thread at a time.
Display* own_connection(Display* library_display);
