// The watch over the library's mode set.
#pragma once

// Call around set_gfx_mode. A window manager that is just starting can lose the library's
// request to show its window, which the library then waits for without end: the request is
// made again, and after a while the program ends with a one-line reason. Meanwhile a signal
// to end ends it at once, by that signal.
void begin_mode_watch(bool full_screen);
void end_mode_watch();
