// Living with the desktop's window manager. One file per platform: desktop_unix.cpp hands
// the library's full-screen window to an X11 window manager or Wayland compositor; on
// Windows, desktop_windows.cpp has nothing to do.
#pragma once

// Where a window manager that supports full-screen windows runs, makes the library's
// full-screen window one that it manages, so that keys reach it through the focus and the
// window manager's close request ends the program. Where none runs, or it does not answer
// within about a second, the window stays as the library made it. Call right after the
// graphics mode is set.
void hand_screen_to_window_manager();
