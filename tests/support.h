// Helpers shared by the unit tests: a headless library, a stand-in screen, and a way to
// know in advance what rand() will return.
#pragma once

#include <allegro.h>

#include <functional>
#include <vector>

#include "swarm/comet.h"

// Starts the library with no system driver: memory bitmaps and drawing work, no display
// is needed. Safe to call more than once.
void start_headless_library();

// Makes SCREEN_W and SCREEN_H report the given size, as a graphics mode would.
void use_screen_size(int width, int height);

// Seeds the generator and returns the first `count` results it will then give; the
// generator is seeded again, so the next calls replay exactly those values.
std::vector<int> replay_rand(unsigned seed, int count);

// The first seed whose first `count` rand() results satisfy `wanted`.
unsigned find_seed(int count, const std::function<bool(const std::vector<int>&)>& wanted);

// A comet at rest with every segment at (x, y), black, with max_speed 11 and reach 100.
Comet make_comet(int length, int x, int y);

// Clears the library's input state.
void release_all_input();
