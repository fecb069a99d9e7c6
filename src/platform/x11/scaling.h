// Fitting the 800x600 picture to a full-screen window of another size, as a compositor gives
// it (KWin and sway give it a whole monitor, or a HiDPI one a scaled size).
#pragma once

#include "x11/allegro_x11.h"

// Fits the picture to the library's full-screen window, now `width` x `height`. At the mode's
// size it is drawn as the library draws it. Otherwise the X server scales each frame into the
// largest 4:3 area that fits, centred on black, and the pointer's positions are mapped back
// into the picture; where the server cannot, it is shown unscaled in the middle, after a
// one-line reason on standard error the first time. Under LibraryLock, and again whenever the
// size changes.
void fit_picture_to_window(const LibraryWindows& windows, int width, int height);
