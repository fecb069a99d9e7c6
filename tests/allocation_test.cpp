// Replaces the global allocation functions so that a test can count them or make one fail.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#include "app/shell.h"
#include "support.h"

namespace {
// Allocations left before one fails; negative means never.
int allocations_until_failure = -1;
long allocations = 0;

// Every replaceable form of new funnels into this one, so that whatever part of the test
// program allocates (the code under test, the library or the test framework) is counted,
// and every form of delete frees it alike: under AddressSanitizer, a block taken from one
// allocator and freed through another would be reported as a mismatch.
void* counted_allocation(std::size_t size, std::size_t alignment) {
    ++allocations;
    if (allocations_until_failure == 0) {
        allocations_until_failure = -1;
        return nullptr;
    }
    if (allocations_until_failure > 0) {
        --allocations_until_failure;
    }
    if (alignment <= alignof(std::max_align_t)) {
        return std::malloc(size == 0 ? 1 : size);
    }
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* throwing_allocation(std::size_t size, std::size_t alignment) {
    if (void* block = counted_allocation(size, alignment)) {
        return block;
    }
    throw std::bad_alloc();
}

constexpr std::size_t plain = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
    return throwing_allocation(size, plain);
}
void* operator new[](std::size_t size) {
    return throwing_allocation(size, plain);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return counted_allocation(size, plain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return counted_allocation(size, plain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return throwing_allocation(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return throwing_allocation(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return counted_allocation(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return counted_allocation(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
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
