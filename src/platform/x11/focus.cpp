#include "x11/focus.h"

#include <allegro.h>

#include "x11/allegro_x11.h"

namespace {

// The library calls these from its input thread, holding its lock, on FocusOut and FocusIn.
void focus_lost() {
    release_pointer();
}

void focus_back() {
    confine_pointer();
}

}  // namespace

void let_go_without_focus() {
    set_display_switch_callback(SWITCH_OUT, focus_lost);
    set_display_switch_callback(SWITCH_IN, focus_back);
}
