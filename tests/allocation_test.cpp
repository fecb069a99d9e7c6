// Replaces the global allocation functions so that a test can count them or make one fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "app/shell.h"
#include "support.h"

namespace {
// Allocations left before one fails; negative means never.
int allocations_until_failure = -1;
long allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (allocations_until_failure == 0) {
        allocations_until_failure = -1;
        throw std::bad_alloc();
    }
    if (allocations_until_failure > 0) {
        --allocations_until_failure;
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

TEST(SpawnFailure, RunningOutOfMemoryIsReportedNotThrown) {
    use_screen_size(800, 600);
    for (int failing : {0, 1, 2, 40}) {
        CometTable comets;
        ActiveTable active{};
        testing::internal::CaptureStderr();
        allocations_until_failure = failing;
        const bool spawned = spawn_swarm(comets, active);
        allocations_until_failure = -1;
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(spawned) << "allocation " << failing << " failed";
        EXPECT_NE(message.find("out of memory"), std::string::npos) << message;
    }
}

TEST(SpawnFailure, WithMemoryToSpareEverySlotIsSpawned) {
    use_screen_size(800, 600);
    CometTable comets;
    ActiveTable active{};
    EXPECT_TRUE(spawn_swarm(comets, active));
    for (std::size_t slot = 0; slot < comets.size(); ++slot) {
        EXPECT_TRUE(active[slot]);
        EXPECT_EQ(comets[slot].xs.size(), static_cast<std::size_t>(comets[slot].length));
    }
}

TEST(FrameLoop, AllocatesNothingFrameAfterFrame) {
    start_headless_library();
    use_screen_size(800, 600);
    screen = create_bitmap(800, 600);
    BITMAP* back_buffer = create_back_buffer();
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(back_buffer, nullptr);
    CometTable comets;
    ActiveTable active{};
    std::srand(8);
    ASSERT_TRUE(spawn_swarm(comets, active));

    const long before = allocations;
    for (int frame = 0; frame < 2000; ++frame) {
        mouse_b = (frame / 100) % 4;  // pull, push, both and neither in turn
        mouse_x = (frame * 7) % 800;
        mouse_y = (frame * 3) % 600;
        advance_swarm(comets, active, back_buffer);
        present_frame(back_buffer);
    }
    EXPECT_EQ(allocations - before, 0);
    release_all_input();
    destroy_bitmap(back_buffer);
    destroy_bitmap(screen);
    screen = nullptr;
}

}  // namespace
