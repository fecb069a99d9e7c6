#include <allegro.h>

#include <algorithm>
#include <cstdlib>

#include "swarm/comet.h"

namespace {

// 1.5 times a channel, held at 255: anything larger would spill into the neighbouring
// channel when the library packs the colour.
int brightened(std::uint8_t channel) {
    return std::min(channel * 3 / 2, 255);
}

int outline_colour(const ColourCell& cell) {
    return makecol(brightened(cell.red), brightened(cell.green), brightened(cell.blue));
}

int fill_colour(const ColourCell& cell) {
    return makecol(cell.red, cell.green, cell.blue);
}

// A single pixel at a random angle (256ths of a turn, 0 pointing down the screen, 64 to
// the right) and a random distance below 2 * radius from the centre.
void sparkle(BITMAP* bitmap, int x, int y, int radius, int colour) {
    const int angle = std::rand() % 256;
    const int dist = std::rand() % (2 * radius);
    const int dx = fixtoi(dist * fixsin(itofix(angle)));
    const int dy = fixtoi(dist * fixcos(itofix(angle)));
    putpixel(bitmap, x + dx, y + dy, colour);
}

}  // namespace

void draw_comet(const Comet& comet, BITMAP* back_buffer) {
    const int length = comet.length;

    // Every outline goes down before any disc, so a ring shows only where no disc of the
    // same comet covers it.
    for (int j = 0; j < length; ++j) {
        const auto segment = static_cast<std::size_t>(j);
        circle(back_buffer, comet.xs[segment], comet.ys[segment], length - j + 1,
               outline_colour(comet.colours[segment]));
    }

    // Discs from the head down: each smaller one covers the one before, sparkles included.
    // Every sparkle has the head's colour, whichever segment it surrounds.
    const int sparkle_colour = fill_colour(comet.colours[0]);
    for (int j = 0; j < length; ++j) {
        const auto segment = static_cast<std::size_t>(j);
        const int radius = length - j;
        const int x = comet.xs[segment];
        const int y = comet.ys[segment];
        circlefill(back_buffer, x, y, radius, fill_colour(comet.colours[segment]));
        for (int k = 0; k < radius; ++k) {
            sparkle(back_buffer, x, y, radius, sparkle_colour);
        }
    }
}
