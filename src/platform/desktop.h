// Living with the desktop: its display server and its window manager. One folder per platform:
// x11/ does all of this for an X11 window manager or a Wayland compositor; Windows has
// nothing to do (none/desktop.cpp); in a browser the page is given its thread back
// (web/desktop.cpp).
#pragma once

// Call right after allegro_init. A lost connection to the display ends the program with a
// one-line reason and status 1; an error the display server reports never ends it.
void watch_display();

// Call around the setting of the graphics mode: notes first which monitor the pointer is on,
// before the library moves the pointer into its window. A window manager that is just starting can
// lose the library's request to show its window, which the library then waits for without end:
// the request is made again, and after a few seconds more the program ends with a one-line
// reason. Meanwhile a signal to end ends it at once, by that signal.
void begin_mode_watch(bool full_screen);
void end_mode_watch();

// Where a window manager that supports full-screen windows runs, makes the library's
// full-screen window one that it manages, on the monitor where the pointer is, so that keys
// reach it through the focus and the window manager's close request ends the program. Losing
// the focus lets the pointer go and releases the keys held; getting it back confines the
// pointer again. Where none runs, or an X11 one does not answer within 3 seconds, the window
// stays as the library made it; a Wayland compositor is waited for up to 30 seconds, as the
// library's window would get no keys there. A signal to end cuts the wait short. Call right
// after the full-screen graphics mode is set.
void hand_screen_to_window_manager();

// Call once a frame, and while paused. Where the window manager has given the window another size than the mode
// since the last call (at start-up, on another monitor, a resolution change), the picture is
// fitted to it again: scaled as large as fits with 4:3 kept, centred on black. In a browser,
// the page shows the last frame and passes input on, once per display frame.
void follow_window_manager();
