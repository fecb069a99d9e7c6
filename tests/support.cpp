#include "support.h"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

void start_headless_library() {
    static const bool started = install_allegro(SYSTEM_NONE, &errno, atexit) == 0;
    if (!started) {
        throw std::runtime_error("cannot start the library without a system driver");
    }
    set_color_depth(32);
}

void use_screen_size(int width, int height) {
    static GFX_DRIVER driver{};
    driver.w = width;
    driver.h = height;
    gfx_driver = &driver;
}

std::vector<int> replay_rand(unsigned seed, int count) {
    std::srand(seed);
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(std::rand());
    }
    std::srand(seed);
    return values;
}

unsigned find_seed(int count, const std::function<bool(const std::vector<int>&)>& wanted) {
    for (unsigned seed = 1; seed < 1000000; ++seed) {
        if (wanted(replay_rand(seed, count))) {
            return seed;
        }
    }
    throw std::runtime_error("no seed gives the wanted rand() values");
}

Comet make_comet(int length, int x, int y) {
    Comet comet;
    comet.length = length;
    comet.max_speed = 11;
    comet.reach = 100;
    const auto segments = static_cast<std::size_t>(length);
    comet.colours.assign(segments, ColourCell{});
    comet.xs.assign(segments, x);
    comet.ys.assign(segments, y);
    return comet;
}

void release_all_input() {
    mouse_x = 0;
    mouse_y = 0;
    mouse_b = 0;
    for (int k = 0; k < KEY_MAX; ++k) {
        key[k] = 0;
    }
}
