#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <set>

#include "support.h"

namespace {

constexpr int LEFT = 1;
constexpr int RIGHT = 2;

// Seeds the generator so that the next update's wander adds (wx, wy) to the velocity.
void seed_wander(int wx, int wy) {
    std::srand(find_seed(
        2, [&](const std::vector<int>& r) { return r[0] % 3 - 1 == wx && r[1] % 3 - 1 == wy; }));
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        use_screen_size(800, 600);
        release_all_input();
    }
    void TearDown() override {
        release_all_input();
    }

    // Updates a resting comet at (400, 300) with reach 100 once, with no wander, and
    // returns the velocity the pointer reaction gave it.
    static std::pair<int, int> steer(int buttons, int pointer_x, int pointer_y) {
        Comet comet = make_comet(4, 400, 300);
        mouse_b = buttons;
        mouse_x = pointer_x;
        mouse_y = pointer_y;
        seed_wander(0, 0);
        update_comet(comet);
        return {comet.vx, comet.vy};
    }
};

using Velocity = std::pair<int, int>;

TEST_F(UpdateTest, DistanceIsTruncatedEuclideanLength) {
    EXPECT_EQ(distance(0, 0), 0);
    EXPECT_EQ(distance(60, 80), 100);
    EXPECT_EQ(distance(-60, 81), 100);  // 100.8 truncates
    EXPECT_EQ(distance(61, 81), 101);
    EXPECT_EQ(distance(-800, -600), 1000);
}

TEST_F(UpdateTest, LeftButtonPullsOnlyBeyondReach) {
    EXPECT_EQ(steer(LEFT, 500, 300), Velocity(0, 0)) << "exactly at reach";
    EXPECT_EQ(steer(LEFT, 460, 381), Velocity(0, 0)) << "100.8 truncates to reach";
    EXPECT_EQ(steer(LEFT, 501, 300), Velocity(1, 0)) << "one pixel farther; equal y left alone";
    EXPECT_EQ(steer(LEFT, 100, 50), Velocity(-1, -1));
    EXPECT_EQ(steer(LEFT, 400, 900), Velocity(0, 1));
    EXPECT_EQ(steer(LEFT, 450, 300), Velocity(0, 0)) << "within reach";
}

TEST_F(UpdateTest, RightButtonPushesOnlyWithinReach) {
    EXPECT_EQ(steer(RIGHT, 430, 340), Velocity(-1, -1));
    EXPECT_EQ(steer(RIGHT, 350, 299), Velocity(1, 1));
    EXPECT_EQ(steer(RIGHT, 400, 300), Velocity(0, 0)) << "pointer on the head";
    EXPECT_EQ(steer(RIGHT, 400, 400), Velocity(0, 0)) << "exactly at reach";
    EXPECT_EQ(steer(RIGHT, 400, 399), Velocity(0, -1));
    EXPECT_EQ(steer(RIGHT, 700, 300), Velocity(0, 0)) << "beyond reach";
}

TEST_F(UpdateTest, BothButtonsPullFarCometsPushNearOnesAndLeaveReachAlone) {
    EXPECT_EQ(steer(LEFT | RIGHT, 600, 300), Velocity(1, 0));
    EXPECT_EQ(steer(LEFT | RIGHT, 350, 300), Velocity(1, 0));
    EXPECT_EQ(steer(LEFT | RIGHT, 300, 300), Velocity(0, 0));
    EXPECT_EQ(steer(LEFT | RIGHT, 340, 220), Velocity(0, 0));
}

TEST_F(UpdateTest, WanderChangesEachComponentByAtMostOne) {
    std::set<Velocity> seen;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        Comet comet = make_comet(5, 400, 300);
        const std::vector<int> r = replay_rand(seed, 2);
        update_comet(comet);
        const Velocity v(comet.vx, comet.vy);
        EXPECT_EQ(v, Velocity(r[0] % 3 - 1, r[1] % 3 - 1));
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 9u) << "every combination of -1, 0 and +1 turns up";
}

TEST_F(UpdateTest, SpeedLimitTakesBackOneUnitPerFrame) {
    auto limited = [](int vx, int vy, int wx, int wy, int buttons = 0, int px = 0, int py = 0) {
        Comet comet = make_comet(4, 400, 300);
        comet.vx = vx;
        comet.vy = vy;
        mouse_b = buttons;
        mouse_x = px;
        mouse_y = py;
        seed_wander(wx, wy);
        update_comet(comet);
        return Velocity(comet.vx, comet.vy);
    };
    EXPECT_EQ(limited(11, -11, 0, 0), Velocity(11, -11)) << "at the limit: untouched";
    EXPECT_EQ(limited(11, -11, 1, -1), Velocity(11, -11)) << "one over: back to the limit";
    EXPECT_EQ(limited(15, -15, 1, -1), Velocity(15, -15)) << "far over: only one unit back";
    EXPECT_EQ(limited(15, -15, -1, 1), Velocity(13, -13));
    EXPECT_EQ(limited(15, 0, 1, 0, LEFT, 799, 300), Velocity(16, 0))
        << "a steady pull cancels the limit; only the wander changes the excess";
}

TEST_F(UpdateTest, HeadBouncesOnlyWhenItLeavesTheScreen) {
    struct Case {
        int x, y, vx, vy;  // before the update; wander is zero
        int want_x, want_y, want_vx, want_vy;
    };
    const Case cases[] = {
        {798, 300, 2, 0, 800, 300, 2, 0},    // lands on SCREEN_W: inside
        {799, 300, 2, 0, 799, 300, -2, 0},   // SCREEN_W + 1: back where it was
        {1, 300, -1, 0, 0, 300, -1, 0},      // lands on 0: inside
        {1, 300, -2, 0, 1, 300, 2, 0},       // -1: back where it was
        {400, 598, 0, 2, 400, 600, 0, 2},    // SCREEN_H
        {400, 599, 0, 2, 400, 599, 0, -2},   // SCREEN_H + 1
        {400, 0, 0, -1, 400, 0, 0, 1},       // off the top
        {800, 600, 3, 3, 800, 600, -3, -3},  // corner: both axes at once
    };
    for (const Case& c : cases) {
        Comet comet = make_comet(4, c.x, c.y);
        comet.vx = c.vx;
        comet.vy = c.vy;
        seed_wander(0, 0);
        update_comet(comet);
        EXPECT_EQ(comet.xs[0], c.want_x) << "from x " << c.x << " at " << c.vx;
        EXPECT_EQ(comet.ys[0], c.want_y) << "from y " << c.y << " at " << c.vy;
        EXPECT_EQ(comet.vx, c.want_vx);
        EXPECT_EQ(comet.vy, c.want_vy);
    }
}

TEST_F(UpdateTest, WanderOverAnEdgeIsReversedByTheBounce) {
    Comet comet = make_comet(4, 0, 600);
    seed_wander(-1, 1);
    update_comet(comet);
    EXPECT_EQ(comet.xs[0], 0);
    EXPECT_EQ(comet.ys[0], 600);
    EXPECT_EQ(Velocity(comet.vx, comet.vy), Velocity(1, -1));
}

TEST_F(UpdateTest, HeadNeverLeavesTheScreenUnderRandomHerding) {
    std::srand(99);
    Comet comet = make_comet(8, 5, 595);
    comet.max_speed = 4;
    for (int frame = 0; frame < 20000; ++frame) {
        if (frame % 50 == 0) {
            mouse_b = std::rand() % 4;
            mouse_x = std::rand() % 800;
            mouse_y = std::rand() % 600;
        }
        update_comet(comet);
        ASSERT_GE(comet.xs[0], 0) << "frame " << frame;
        ASSERT_LE(comet.xs[0], 800) << "frame " << frame;
        ASSERT_GE(comet.ys[0], 0) << "frame " << frame;
        ASSERT_LE(comet.ys[0], 600) << "frame " << frame;
    }
}

TEST_F(UpdateTest, HeadColourDriftsAndWrapsModulo256) {
    auto drifted = [](ColourCell head, const std::vector<int>& r) {
        Comet comet = make_comet(4, 400, 300);
        comet.colours[0] = head;
        update_comet(comet);
        EXPECT_EQ(std::rand(), r[5]) << "an update takes exactly five rand() results";
        return comet.colours[0];
    };
    const unsigned down = find_seed(5, [](const std::vector<int>& r) {
        return r[2] % 5 == 0 && r[3] % 5 == 0 && r[4] % 5 == 2;
    });
    ColourCell c = drifted({1, 0, 77, 0}, replay_rand(down, 6));
    EXPECT_EQ(c.red, 255);
    EXPECT_EQ(c.green, 254);
    EXPECT_EQ(c.blue, 77);

    const unsigned up = find_seed(5, [](const std::vector<int>& r) {
        return r[2] % 5 == 4 && r[3] % 5 == 4 && r[4] % 5 == 3;
    });
    c = drifted({254, 255, 255, 0}, replay_rand(up, 6));
    EXPECT_EQ(c.red, 0);
    EXPECT_EQ(c.green, 1);
    EXPECT_EQ(c.blue, 0);
}

TEST_F(UpdateTest, FirstTrailSegmentTakesTheNewHeadDarkenedByATenth) {
    Comet comet = make_comet(6, 400, 300);
    comet.vx = 3;
    comet.vy = -2;
    // Start the head so that after its drift it reads (200, 100, 10).
    const std::vector<int> r = replay_rand(31337, 5);
    comet.colours[0] = {static_cast<std::uint8_t>(200 - (r[2] % 5 - 2)),
                        static_cast<std::uint8_t>(100 - (r[3] % 5 - 2)),
                        static_cast<std::uint8_t>(10 - (r[4] % 5 - 2)), 0};
    update_comet(comet);
    EXPECT_EQ(comet.colours[0].red, 200);
    EXPECT_EQ(comet.colours[1].red, 180);
    EXPECT_EQ(comet.colours[1].green, 90);
    EXPECT_EQ(comet.colours[1].blue, 9);
    EXPECT_EQ(comet.xs[1], comet.xs[0]);
    EXPECT_EQ(comet.ys[1], comet.ys[0]);
    EXPECT_NE(comet.xs[2], comet.xs[0]) << "segment 2 still holds the old head";
}

TEST_F(UpdateTest, TrailRepeatsThePastPositionsAndColoursOfTheHead) {
    std::srand(2024);
    Comet comet = make_comet(7, 300, 200);
    comet.colours[0] = {250, 128, 33, 0};
    std::deque<Comet> history;  // newest first
    for (int frame = 0; frame < 40; ++frame) {
        mouse_b = frame < 20 ? LEFT : RIGHT;
        mouse_x = 650;
        mouse_y = 120;
        update_comet(comet);
        history.push_front(comet);
    }
    for (std::size_t n = 1; n < 7; ++n) {
        const Comet& then = history[n - 1];
        EXPECT_EQ(comet.xs[n], then.xs[0]) << "segment " << n;
        EXPECT_EQ(comet.ys[n], then.ys[0]) << "segment " << n;
    }
}

// Each frame every later segment takes the colour of the one before it, a tenth darker
// (truncated), so a colour fades down the trail frame by frame.
TEST_F(UpdateTest, TrailColoursMoveDownATenthDarkerEachFrame) {
    Comet comet = make_comet(7, 300, 200);
    const std::uint8_t before[7] = {0, 250, 200, 100, 50, 10, 1};
    for (std::size_t n = 0; n < 7; ++n) {
        comet.colours[n] = {before[n], static_cast<std::uint8_t>(255 - before[n]), 128, 0};
    }
    std::srand(7);
    update_comet(comet);
    const std::uint8_t red[7] = {0, 0, 225, 180, 90, 45, 9};
    const std::uint8_t green[7] = {0, 0, 4, 49, 139, 184, 220};
    for (std::size_t n = 2; n < 7; ++n) {
        EXPECT_EQ(comet.colours[n].red, red[n]) << "segment " << n;
        EXPECT_EQ(comet.colours[n].green, green[n]) << "segment " << n;
        EXPECT_EQ(comet.colours[n].blue, 115) << "segment " << n;
    }
}

}  // namespace
