// The monitor the full-screen window goes to: the one the pointer is on.
#pragma once

#include "x11/allegro_x11.h"

// Notes the monitor the pointer is on, before the library's mode set warps the pointer into its
// own window. Takes LibraryLock itself.
void remember_pointer_monitor();

// The library's full-screen window covers the whole X screen, which spans every monitor, so a
// window manager would make it full screen on whichever monitor it likes, or cover them all: it
// is put on the monitor noted, and that is where it goes. Under LibraryLock.
void place_on_pointer_monitor(const LibraryWindows& windows);

// The library's window covered every monitor while it set the mode. A compositor that repaints
// only where a window changes (sway 1.7) goes on showing it, black, on the monitors it has left:
// a window of our own over each of them, shown a moment and taken away, has them repainted.
// Under LibraryLock.
void repaint_other_monitors(Display* display);
