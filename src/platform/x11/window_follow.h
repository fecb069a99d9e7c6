// Following the full-screen window's size after the hand-over.
#pragma once

#include "x11/allegro_x11.h"

// Fits the picture to the full-screen window's size now, and from then on at every change of
// it that follow_window_size sees. Under LibraryLock.
void start_following(const LibraryWindows& windows);

// Fits the picture again where the window manager has given the window another size since the
// last call. Cheap where nothing has come: one look at the connection.
void follow_window_size();
