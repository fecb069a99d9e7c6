// Living with the desktop: its display server and its window manager, or the page that holds
// the program. x11/ does all of it for an X11 window manager or a Wayland compositor; Windows
// has nothing to do (none/); in a browser the page is given its thread back (web/keep_up.cpp).
#pragma once

// Call right before allegro_init, with whether the program takes input. On X11 the library's
// background thread is replaced by one that sleeps between its looks at the display, and
// without input by none at all.
void prepare_desktop(bool input);

// Call right after allegro_init. A lost connection to the display ends the program with a
// one-line reason and status 1; an error the display server reports never ends it.
void watch_display();

// As a screen saver: the mode set next is drawn into the window `id`, or with 0 into the
// screen saver's window (XSCREENSAVER_WINDOW), or else the root window, fitted to it and
// following its size, with nothing of the program's own shown, grabbed or switched. Its end
// is a close request. Call after start-up and before the mode is set. Where there is no such
// window, or it cannot be drawn into, says so in one line and returns false.
bool draw_into_given_window(unsigned long id);

// The program's way to set a graphics mode, with set_gfx_mode's signature and result. On X11
// it watches the mode set, which a window manager that is just starting can stall, and a full
// screen goes to the monitor the pointer is on; it is handed to the window manager at the
// first keep_up_with_desktop, once the program has said which mode it got.
int set_desktop_gfx_mode(int card, int width, int height, int virtual_width, int virtual_height);

// Call around the copy of a frame with the pointer laid over it. The library's input thread
// redraws the pointer into the bitmap it is shown on whenever the mouse moves; on X11 it does
// so holding the library's lock, which is held here meanwhile, so that a frame is never copied
// with the pointer half redrawn. Elsewhere nothing.
void begin_frame_copy();
void end_frame_copy();

// Call once a frame, and while paused. On X11 the picture follows the window: fitted again
// whenever the window manager has given it another size than the mode (at start-up, on another
// monitor, a resolution change). In a browser, the page shows the last frame and passes input
// on, once per display frame.
void keep_up_with_desktop();
