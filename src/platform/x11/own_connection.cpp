#include "x11/own_connection.h"

#include "x11/allegro_x11.h"

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
