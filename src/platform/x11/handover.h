// Handing the library's full-screen window to the window manager.
#pragma once

// Where a window manager that supports full-screen windows runs, makes the library's
// full-screen window one that it manages, on the monitor where the pointer was, so that keys
// reach it through the focus and the window manager's close request ends the program. Losing
// the focus lets the pointer go and releases the keys held; getting it back confines the
// pointer again. Where none runs, or an X11 one does not answer in time, the window stays as
// the library made it; a Wayland compositor is waited for longer, as the library's window
// would get no keys there. A signal to end cuts the wait short. Call once the full-screen
// graphics mode is set.
void hand_screen_to_window_manager();
