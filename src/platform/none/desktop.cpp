// Windows and the browser: Windows gives the library's full-screen window the keyboard, the
// focus and its close requests itself, and the page scales the picture and passes the keys on,
// so there is no display to watch and the mode is set as the library sets it.
#include <allegro.h>

#include <cstdio>

#include "desktop.h"

void prepare_desktop(bool) {}

void watch_display() {}

void begin_frame_copy() {}

void end_frame_copy() {}

int set_desktop_gfx_mode(int card, int width, int height, int virtual_width, int virtual_height) {
    return set_gfx_mode(card, width, height, virtual_width, virtual_height);
}

bool draw_into_given_window(unsigned long) {
    std::fprintf(stderr, "comets: cannot draw into a given window here\n");
    return false;
}
