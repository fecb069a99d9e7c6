// A browser page has no window manager: the page itself scales the picture and passes on the
// keys, so there is nothing to hand over.
#include "app/desktop.h"

void hand_screen_to_window_manager() {}
