// Windows gives the library's full-screen window the keyboard, the focus and its close
// requests itself, so there is nothing to watch, hand over or fit.
#include "platform/desktop.h"

void watch_display() {}

void begin_mode_watch(bool) {}

void end_mode_watch() {}

void hand_screen_to_window_manager() {}

void follow_window_manager() {}
