// Cost of one frame's work, headless: the swarm's update, its drawing into an 800x600
// memory bitmap, and the presentation (clear plus a full-size copy to a second memory
// bitmap standing in for the screen), all at 32-bit colour.
//
// Each result also carries `x_floor`: its time as a multiple of the floor, one plain
// clear-and-copy of the buffer, measured in the same run. The ratio carries over between
// machines better than the microseconds do.
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "app/shell.h"

namespace {

constexpr int WIDTH = 800;
constexpr int HEIGHT = 600;

struct Stage {
    BITMAP* back_buffer = nullptr;
    CometTable comets;
    ActiveTable active{};
};

// The library, a stand-in screen and a swarm that has run for a while, made once.
Stage& stage() {
    static Stage* made = [] {
        if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
            std::abort();
        }
        set_color_depth(32);
        static GFX_DRIVER driver{};
        driver.w = WIDTH;
        driver.h = HEIGHT;
        gfx_driver = &driver;
        screen = create_bitmap(WIDTH, HEIGHT);
        auto* s = new Stage;
        s->back_buffer = create_bitmap(WIDTH, HEIGHT);
        std::srand(1);
        if (screen == nullptr || s->back_buffer == nullptr || !spawn_swarm(s->comets, s->active)) {
            std::abort();
        }
        for (int frame = 0; frame < 500; ++frame) {
            advance_swarm(s->comets, s->active, s->back_buffer);
            present_frame(s->back_buffer);
        }
        return s;
    }();
    return *made;
}

void clear_and_copy(BITMAP* buffer) {
    clear_bitmap(buffer);
    blit(buffer, screen, 0, 0, 0, 0, WIDTH, HEIGHT);
}

// Seconds for one clear-and-copy: the best of several timed batches.
double floor_seconds() {
    static const double seconds = [] {
        BITMAP* buffer = stage().back_buffer;
        double best = 1e9;
        for (int batch = 0; batch < 7; ++batch) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < 200; ++i) {
                clear_and_copy(buffer);
            }
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            best = std::min(best, took.count() / 200);
        }
        return best;
    }();
    return seconds;
}

// Runs `work` once per iteration and reports its time as a multiple of the floor.
template <typename Work>
void run_against_floor(benchmark::State& state, Work work) {
    const double floor = floor_seconds();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        work();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.counters["x_floor"] = took.count() / static_cast<double>(state.iterations()) / floor;
}

void BM_Floor_ClearAndCopy(benchmark::State& state) {
    run_against_floor(state, [] { clear_and_copy(stage().back_buffer); });
}

void BM_UpdateSwarm(benchmark::State& state) {
    run_against_floor(state, [] {
        for (Comet& comet : stage().comets) {
            update_comet(comet);
        }
    });
}

void BM_DrawSwarm(benchmark::State& state) {
    run_against_floor(state, [] {
        for (const Comet& comet : stage().comets) {
            draw_comet(comet, stage().back_buffer);
        }
    });
}

void BM_PresentFrame(benchmark::State& state) {
    run_against_floor(state, [] { present_frame(stage().back_buffer); });
}

// The whole frame as the loop runs it: update and draw slot by slot, then present.
void BM_WholeFrame(benchmark::State& state) {
    run_against_floor(state, [] {
        Stage& s = stage();
        advance_swarm(s.comets, s.active, s.back_buffer);
        present_frame(s.back_buffer);
    });
}

}  // namespace

BENCHMARK(BM_Floor_ClearAndCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateSwarm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawSwarm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
