// The program's screen on X11: the mode set, watched, on the monitor the pointer is on; then
// the screen handed to the window manager before the first frame, and kept fitted to the
// window from then on. As a screen saver, the window it was given instead.
#include <allegro.h>

#include "desktop.h"
#include "x11/local.h"

namespace {

bool hand_over_pending = false;

}  // namespace

int set_desktop_gfx_mode(int card, int width, int height, int virtual_width, int virtual_height) {
    const bool full_screen = card != GFX_AUTODETECT_WINDOWED;
    if (full_screen) {
        remember_pointer_monitor();
    }
    begin_mode_watch(full_screen);
    int result = set_gfx_mode(card, width, height, virtual_width, virtual_height);
    end_mode_watch();
    if (result == 0 && given_window_in_use() && !start_given_window()) {
        result = -1;
    }
    hand_over_pending = result == 0 && full_screen;
    return result;
}

void begin_frame_copy() {
    lock_library();
}

void end_frame_copy() {
    unlock_library();
}

void keep_up_with_desktop() {
    if (hand_over_pending) {
        hand_over_pending = false;
        hand_screen_to_window_manager();
    }
    follow_window_size();
}
