#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/shell.h"
#include "platform/ending.h"
#include "support.h"

namespace {

// A stand-in for set_gfx_mode that accepts only one colour depth and logs every request.
struct ModeLog {
    static inline int accepted_depth = 0;
    static inline std::vector<int> depths_tried;
    static inline std::vector<std::vector<int>> requests;

    static int try_mode(int card, int width, int height, int virtual_width, int virtual_height) {
        depths_tried.push_back(get_color_depth());
        requests.push_back({card, width, height, virtual_width, virtual_height});
        return get_color_depth() == accepted_depth ? 0 : -1;
    }
    static void accept_only(int depth) {
        accepted_depth = depth;
        depths_tried.clear();
        requests.clear();
    }
};

// Runs the mode choice with only `depth` accepted: whether a mode was set, and what was
// printed.
std::pair<bool, std::string> choose_mode_accepting(int depth) {
    ModeLog::accept_only(depth);
    testing::internal::CaptureStdout();
    const bool chosen = set_graphics_mode(ModeLog::try_mode);
    return {chosen, testing::internal::GetCapturedStdout()};
}

TEST(GraphicsMode, FirstAcceptedDepthWinsAndTheOthersAreNeverTried) {
    const auto [chosen, printed] = choose_mode_accepting(32);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(printed, "GFX mode set with depth 32 bit");
    EXPECT_EQ(ModeLog::depths_tried, std::vector<int>({32}));
    const std::vector<int> fullscreen_800_600 = {GFX_AUTODETECT_FULLSCREEN, 800, 600, 0, 0};
    EXPECT_EQ(ModeLog::requests.at(0), fullscreen_800_600);
}

TEST(GraphicsMode, FailuresBeforeTheAcceptedDepthAreSilent) {
    const auto [chosen, printed] = choose_mode_accepting(15);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(printed, "GFX mode set with depth 15 bit");
    EXPECT_EQ(ModeLog::depths_tried, std::vector<int>({32, 24, 16, 15}));
    for (const std::vector<int>& request : ModeLog::requests) {
        EXPECT_EQ(request[0], GFX_AUTODETECT_FULLSCREEN) << "no other mode is ever tried";
        EXPECT_EQ(request[1], 800);
        EXPECT_EQ(request[2], 600);
    }
}

TEST(GraphicsMode, NoDepthAcceptedReportsFailure) {
    const auto [chosen, printed] = choose_mode_accepting(8);
    EXPECT_FALSE(chosen);
    EXPECT_EQ(printed, "Unable to set GFX mode");
    EXPECT_EQ(ModeLog::depths_tried, std::vector<int>({32, 24, 16, 15}));
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        start_headless_library();
        use_screen_size(800, 600);
        release_all_input();
        quit_requested = false;
        screen = create_bitmap(800, 600);
        back_buffer = create_back_buffer();
        ASSERT_NE(screen, nullptr);
        ASSERT_NE(back_buffer, nullptr);
        clear_to_color(screen, makecol(0, 0, 255));
        std::srand(5);
        ASSERT_TRUE(spawn_swarm(comets, active));
    }
    void TearDown() override {
        destroy_bitmap(back_buffer);
        destroy_bitmap(screen);
        screen = nullptr;
        release_all_input();
        quit_requested = false;
    }

    CometTable comets;
    ActiveTable active{};
    BITMAP* back_buffer = nullptr;
};

// A new bitmap holds whatever its memory held before: the buffer must be cleared, not merely
// new. Its memory is first left white: taken from the heap (not fresh, zeroed pages), filled
// and freed, where the buffer's allocation finds it again (under AddressSanitizer, which
// keeps freed memory aside, a new block's first bytes are filled instead).
TEST_F(FrameTest, BackBufferMatchesTheScreenAndStartsBlack) {
    destroy_bitmap(back_buffer);
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);  // kept when freed, not given back
    const std::size_t size = 800 * 600 * 4 + 65536;
    auto* dirty = static_cast<volatile unsigned char*>(std::malloc(size));
    ASSERT_NE(dirty, nullptr);
    for (std::size_t i = 0; i < size; ++i) {
        dirty[i] = 0xff;  // volatile: a fill right before free is otherwise dropped
    }
    std::free(const_cast<unsigned char*>(dirty));
    back_buffer = create_back_buffer();
    ASSERT_NE(back_buffer, nullptr);
    EXPECT_EQ(back_buffer->w, 800);
    EXPECT_EQ(back_buffer->h, 600);
    EXPECT_EQ(bitmap_color_depth(back_buffer), 32);
    int lit = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            lit += getpixel(back_buffer, x, y) != 0;
        }
    }
    EXPECT_EQ(lit, 0);
}

TEST_F(FrameTest, BackBufferThatCannotBeAllocatedIsReported) {
    // Large enough that the library cannot allocate it.
    use_screen_size(30000, 30000);
    testing::internal::CaptureStderr();
    EXPECT_EQ(create_back_buffer(), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("frame buffer"), std::string::npos);
}

TEST_F(FrameTest, SpawningFillsEverySlotInOrderAndActivatesIt) {
    std::srand(5);
    for (std::size_t slot = 0; slot < comets.size(); ++slot) {
        const Comet expected = spawn_comet();
        EXPECT_TRUE(active[slot]);
        EXPECT_EQ(comets[slot].length, expected.length) << "slot " << slot;
        EXPECT_EQ(comets[slot].xs, expected.xs) << "slot " << slot;
    }
}

TEST_F(FrameTest, OnePassUpdatesAndDrawsEachActiveSlotBeforeTheNext) {
    active[3] = false;
    const CometTable before = comets;
    CometTable expected = comets;
    BITMAP* expected_picture = create_bitmap(800, 600);
    clear_bitmap(expected_picture);
    std::srand(11);
    for (std::size_t slot = 0; slot < expected.size(); ++slot) {
        if (slot != 3) {
            update_comet(expected[slot]);
            draw_comet(expected[slot], expected_picture);
        }
    }
    const int next_rand = std::rand();

    std::srand(11);
    advance_swarm(comets, active, back_buffer);
    EXPECT_EQ(std::rand(), next_rand);
    for (std::size_t slot = 0; slot < comets.size(); ++slot) {
        EXPECT_EQ(comets[slot].xs, expected[slot].xs) << "slot " << slot;
        EXPECT_EQ(comets[slot].vx, expected[slot].vx) << "slot " << slot;
    }
    EXPECT_EQ(comets[3].xs, before[3].xs);
    EXPECT_EQ(comets[3].colours[0].red, before[3].colours[0].red);
    int differing = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            differing += getpixel(back_buffer, x, y) != getpixel(expected_picture, x, y);
        }
    }
    EXPECT_EQ(differing, 0);
    destroy_bitmap(expected_picture);
}

TEST_F(FrameTest, PresentingCopiesTheBufferToTheScreenAndClearsIt) {
    putpixel(back_buffer, 10, 20, makecol(255, 255, 0));
    putpixel(back_buffer, 799, 599, makecol(1, 2, 3));
    present_frame(back_buffer);
    EXPECT_EQ(getpixel(screen, 10, 20), makecol(255, 255, 0));
    EXPECT_EQ(getpixel(screen, 799, 599), makecol(1, 2, 3));
    EXPECT_EQ(getpixel(screen, 400, 300), 0) << "the cleared parts of the buffer reach the screen";
    EXPECT_EQ(getpixel(back_buffer, 10, 20), 0);
    EXPECT_EQ(getpixel(back_buffer, 799, 599), 0);
}

TEST_F(FrameTest, EscDownBeforeTheFirstPassShowsNoFrame) {
    key[KEY_ESC] = 1;
    const CometTable before = comets;
    run_frame_loop(comets, active, back_buffer);
    EXPECT_EQ(getpixel(screen, 400, 300), makecol(0, 0, 255)) << "nothing was presented";
    for (std::size_t slot = 0; slot < comets.size(); ++slot) {
        EXPECT_EQ(comets[slot].xs, before[slot].xs);
    }
}

TEST_F(FrameTest, CloseRequestBeforeTheFirstPassShowsNoFrame) {
    close_hook();
    run_frame_loop(comets, active, back_buffer);
    EXPECT_EQ(getpixel(screen, 400, 300), makecol(0, 0, 255));
}

TEST_F(FrameTest, PauseHoldsUntilPIsReleased) {
    wait_while_paused();  // returns at once while P is up

    key[KEY_P] = 1;
    auto paused = std::async(std::launch::async, wait_while_paused);
    EXPECT_EQ(paused.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    key[KEY_ESC] = 1;  // Esc is not looked at during the pause
    close_hook();
    EXPECT_EQ(paused.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    key[KEY_P] = 0;
    EXPECT_EQ(paused.wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

// Paced at 2 frames a second, an Esc tap that falls wholly between two frames still ends the
// loop, at once; but one made while P is held is not seen, as without pacing, nor one made
// before the loop began. The tap comes as the keyboard's hook reports it.
TEST_F(FrameTest, EscTapBetweenPacedFramesEnds) {
    const auto tap_esc = [] {
        note_esc_tap(KEY_ESC);
        note_esc_tap(KEY_ESC | 0x80);
    };
    tap_esc();
    auto loop =
        std::async(std::launch::async, [&] { run_frame_loop(comets, active, back_buffer, 2); });
    EXPECT_EQ(loop.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
        << "a tap from before the loop ended it";
    tap_esc();
    EXPECT_EQ(loop.wait_for(std::chrono::milliseconds(150)), std::future_status::ready);
    close_hook();
    loop.wait();

    quit_requested = false;
    key[KEY_P] = 1;
    loop = std::async(std::launch::async, [&] { run_frame_loop(comets, active, back_buffer, 2); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    tap_esc();
    key[KEY_P] = 0;
    EXPECT_EQ(loop.wait_for(std::chrono::milliseconds(700)), std::future_status::timeout);
    close_hook();
    loop.wait();
}

// With the program's signal policy in place, a write to a connection whose other end has
// gone (an X server that closed it) fails with EPIPE, for the display's watch to report,
// instead of ending the process by SIGPIPE.
TEST(Ending, WriteToAClosedConnectionFailsInsteadOfEndingTheProgram) {
    hold_ending_signals();
    install_ending_handlers();
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    close(ends[1]);
    errno = 0;
    EXPECT_EQ(write(ends[0], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    close(ends[0]);
}

}  // namespace
