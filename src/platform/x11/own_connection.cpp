// The library's input thread takes every event from the library's connection and drops those
// it has no use for, so the events the program waits for come on a connection of its own.
#include "x11/local.h"

namespace {

Display* connection = nullptr;

void close_own_connection() {
    XCloseDisplay(connection);
    connection = nullptr;
}

}  // namespace

Display* own_connection(Display* library_display) {
    if (connection == nullptr) {
        connection = XOpenDisplay(DisplayString(library_display));
        if (connection != nullptr) {
            on_library_shutdown(close_own_connection);
        }
    }
    return connection;
}
