// The comet record, the swarm table's size, and the per-comet steps.
#pragma once

#include <cstdint>
#include <vector>

struct BITMAP;

// Colour of one segment. Same layout as the library's RGB record; channel arithmetic
// wraps modulo 256.
struct ColourCell {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t filler = 0;
};

// A head (segment 0) and the trail of segments that repeat its recent positions.
// The three arrays always hold `length` entries and are never resized after spawning.
struct Comet {
    std::vector<ColourCell> colours;
    std::vector<std::int32_t> xs;
    std::vector<std::int32_t> ys;
    std::int32_t vx = 0;
    std::int32_t vy = 0;
    std::int32_t max_speed = 0;  // soft limit on |vx| and |vy|
    std::int32_t length = 0;     // number of segments, 4 to 19
    std::int32_t reach = 0;      // pull acts beyond it, push within it
};

// Slots in the swarm table.
constexpr int COMET_COUNT = 32;

// Builds a comet with random parameters at a random spot on the screen. Takes exactly five
// rand() results. Needs a graphics mode: it reads SCREEN_W and SCREEN_H.
Comet spawn_comet();

// Euclidean length of (dx, dy), truncated towards zero.
std::int32_t distance(std::int32_t dx, std::int32_t dy);

// Moves the comet on by one frame. Takes exactly five rand() results.
void update_comet(Comet& comet);

// Draws the comet's outlines, discs and sparkles into the bitmap, clipped to it.
// Takes two rand() results per sparkle: length * (length + 1) in all.
void draw_comet(const Comet& comet, BITMAP* back_buffer);
