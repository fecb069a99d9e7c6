#include <allegro.h>

#include <cmath>
#include <cstdlib>

#include "swarm/comet.h"

std::int32_t distance(std::int32_t dx, std::int32_t dy) {
    // Squared in 64 bits: no overflow whatever the inputs, and the same result as 32 bits
    // for every distance on a screen.
    const std::int64_t squared = std::int64_t{dx} * dx + std::int64_t{dy} * dy;
    return static_cast<std::int32_t>(std::sqrt(static_cast<double>(squared)));
}

namespace {

// -1, 0 or +1: the direction from `from` to `to` along one axis.
std::int32_t step_towards(std::int32_t from, std::int32_t to) {
    return (from < to) - (from > to);
}

// Left button: comets beyond their reach steer one unit per axis towards the pointer.
// Right button: comets within their reach steer one unit per axis away from it.
// Both may act in one frame, pull first; at exactly `reach` neither does.
void react_to_pointer(Comet& comet) {
    if (mouse_b & 1) {
        if (distance(mouse_x - comet.xs[0], mouse_y - comet.ys[0]) > comet.reach) {
            comet.vx += step_towards(comet.xs[0], mouse_x);
            comet.vy += step_towards(comet.ys[0], mouse_y);
        }
    }
    if (mouse_b & 2) {
        if (distance(mouse_x - comet.xs[0], mouse_y - comet.ys[0]) < comet.reach) {
            comet.vx -= step_towards(comet.xs[0], mouse_x);
            comet.vy -= step_towards(comet.ys[0], mouse_y);
        }
    }
}

void wander(Comet& comet) {
    comet.vx += std::rand() % 3 - 1;
    comet.vy += std::rand() % 3 - 1;
}

// A soft limit: it takes back at most one unit per frame, so a steady pull can hold a
// component above `max_speed`.
void limit_speed(Comet& comet) {
    if (comet.vx > comet.max_speed) {
        comet.vx -= 1;
    }
    if (comet.vx < -comet.max_speed) {
        comet.vx += 1;
    }
    if (comet.vy > comet.max_speed) {
        comet.vy -= 1;
    }
    if (comet.vy < -comet.max_speed) {
        comet.vy += 1;
    }
}

// A head that left 0..extent (both ends inside) reverses and steps back to where it was.
void bounce(std::int32_t& position, std::int32_t& velocity, std::int32_t extent) {
    if (position < 0 || position > extent) {
        velocity = -velocity;
        position += velocity;
    }
}

std::uint8_t drift(std::uint8_t channel) {
    return static_cast<std::uint8_t>(channel + std::rand() % 5 - 2);
}

// 0.9 times the channel, truncated.
std::uint8_t darken(std::uint8_t channel) {
    return static_cast<std::uint8_t>(channel * 9 / 10);
}

// Runs from the tail towards the head so that each segment takes its predecessor's
// state of the previous frame; segment 1 takes the head as it is now.
void shift_trail(Comet& comet) {
    for (auto n = static_cast<std::size_t>(comet.length) - 1; n >= 1; --n) {
        comet.xs[n] = comet.xs[n - 1];
        comet.ys[n] = comet.ys[n - 1];
        comet.colours[n].red = darken(comet.colours[n - 1].red);
        comet.colours[n].green = darken(comet.colours[n - 1].green);
        comet.colours[n].blue = darken(comet.colours[n - 1].blue);
    }
}

}  // namespace

// The order of the steps matters: the trail shift sees the head after it has moved and
// drifted, and the rand() calls run wander x, wander y, red, green, blue.
void update_comet(Comet& comet) {
    react_to_pointer(comet);
    wander(comet);
    limit_speed(comet);

    comet.xs[0] += comet.vx;
    comet.ys[0] += comet.vy;
    bounce(comet.xs[0], comet.vx, SCREEN_W);
    bounce(comet.ys[0], comet.vy, SCREEN_H);

    ColourCell& head = comet.colours[0];
    head.red = drift(head.red);
    head.green = drift(head.green);
    head.blue = drift(head.blue);

    shift_trail(comet);
}
