// Windows gives the library's full-screen window the keyboard and its close requests itself,
// so there is nothing to hand over.
#include "app/desktop.h"

void hand_screen_to_window_manager() {}
