#include <allegro.h>

#include <algorithm>
#include <cstdlib>

#include "swarm/comet.h"

Comet spawn_comet() {
    Comet comet;
    // The order of the rand() calls is part of the behaviour: a seed replays the same swarm.
    comet.max_speed = std::rand() % 8 + 4;
    comet.length = std::rand() % 16 + 4;
    comet.reach = std::rand() % 64 + 96;

    const auto segments = static_cast<std::size_t>(comet.length);
    comet.colours.resize(segments);
    comet.xs.resize(segments);
    comet.ys.resize(segments);

    // Every segment starts on the head: the trail unrolls as the head moves away.
    const std::int32_t x = std::rand() % SCREEN_W;
    const std::int32_t y = std::rand() % SCREEN_H;
    std::fill(comet.xs.begin(), comet.xs.end(), x);
    std::fill(comet.ys.begin(), comet.ys.end(), y);
    return comet;
}
