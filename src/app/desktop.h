// Living with the desktop's window manager. One file per platform: desktop_unix.cpp hands
// the library's full-screen window to an X11 window manager or Wayland compositor; on
// Windows, desktop_windows.cpp has nothing to do.
#pragma once

// Where a window manager that supports full-screen windows runs, makes the library's
// full-screen window one that it manages, so that keys reach it through the focus and the
// window manager's close request ends the program. Where none runs, or an X11 one does not
// answer within 3 seconds, the window stays as the library made it; a Wayland compositor is
// waited for up to 30 seconds, as the library's window would get no keys there. A signal to
// end cuts the wait short. Where the window manager gives the window another size than the
// mode, the picture is scaled to fit it. Call right after the graphics mode is set.
void hand_screen_to_window_manager();

// Where the 800x600 picture shows in a window of the given size: as large as fits with 4:3
// kept, centred.
struct PictureArea {
    int left;
    int top;
    int width;
    int height;
};
PictureArea fit_picture(int window_width, int window_height);
