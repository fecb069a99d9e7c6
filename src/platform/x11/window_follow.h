// Following the full-screen window's size after the hand-over.
#pragma once

#include "platform/x11/allegro_x11.h"

// Fits the picture to the full-screen window's size now, and from then on at every change of
// it that follow_window_manager sees. Under LibraryLock.
void start_following(const LibraryWindows& windows);
