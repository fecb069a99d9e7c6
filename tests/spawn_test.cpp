#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <vector>

#include "support.h"

namespace {

class SpawnTest : public ::testing::Test {
protected:
    void SetUp() override {
        use_screen_size(800, 600);
    }
};

TEST_F(SpawnTest, ParametersStayInRangeAndSegmentsShareOneSpotOnScreen) {
    std::set<int> speeds, lengths;
    int rightmost = 0, lowest = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::srand(seed);
        const Comet comet = spawn_comet();
        EXPECT_GE(comet.max_speed, 4);
        EXPECT_LE(comet.max_speed, 11);
        EXPECT_GE(comet.length, 4);
        EXPECT_LE(comet.length, 19);
        EXPECT_GE(comet.reach, 96);
        EXPECT_LE(comet.reach, 159);
        EXPECT_EQ(comet.vx, 0);
        EXPECT_EQ(comet.vy, 0);
        speeds.insert(comet.max_speed);
        lengths.insert(comet.length);
        rightmost = std::max(rightmost, comet.xs[0]);
        lowest = std::max(lowest, comet.ys[0]);

        const auto segments = static_cast<std::size_t>(comet.length);
        ASSERT_EQ(comet.colours.size(), segments);
        ASSERT_EQ(comet.xs.size(), segments);
        ASSERT_EQ(comet.ys.size(), segments);
        EXPECT_GE(comet.xs[0], 0);
        EXPECT_LT(comet.xs[0], 800);
        EXPECT_GE(comet.ys[0], 0);
        EXPECT_LT(comet.ys[0], 600);
        for (std::size_t i = 0; i < segments; ++i) {
            EXPECT_EQ(comet.xs[i], comet.xs[0]);
            EXPECT_EQ(comet.ys[i], comet.ys[0]);
            EXPECT_EQ(comet.colours[i].red, 0);
            EXPECT_EQ(comet.colours[i].green, 0);
            EXPECT_EQ(comet.colours[i].blue, 0);
        }
    }
    // The ranges are reached at both ends, not just respected.
    EXPECT_EQ(speeds.size(), 8u);
    EXPECT_EQ(lengths.size(), 16u);
    EXPECT_GE(rightmost, 780) << "comets start across the whole width";
    EXPECT_GE(lowest, 580) << "comets start across the whole height";
}

// Five rand() results, taken in the order speed, length, reach, x, y: where the first three
// leave the largest remainders the comet gets the largest speed, length and reach, where they
// leave none the smallest; and x comes from the fourth (here past any y), y from the fifth
// (here below 100). The sixth is left for whoever draws next.
TEST_F(SpawnTest, TakesFiveRandResultsInTheOrderSpeedLengthReachXY) {
    const auto spawned_where = [](const std::function<bool(const std::vector<int>&)>& wanted) {
        const int sixth = replay_rand(find_seed(5, wanted), 6)[5];
        const Comet comet = spawn_comet();
        EXPECT_EQ(std::rand(), sixth) << "spawning must take exactly five rand() results";
        return comet;
    };
    const Comet top = spawned_where([](const std::vector<int>& r) {
        return r[0] % 8 == 7 && r[1] % 16 == 15 && r[2] % 64 == 63;
    });
    const Comet bottom = spawned_where([](const std::vector<int>& r) {
        return r[0] % 8 == 0 && r[1] % 16 == 0 && r[2] % 64 == 0;
    });
    const Comet placed = spawned_where(
        [](const std::vector<int>& r) { return r[3] % 800 >= 700 && r[4] % 600 < 100; });
    EXPECT_EQ(std::vector<int>({top.max_speed, top.length, top.reach}),
              std::vector<int>({11, 19, 159}));
    EXPECT_EQ(std::vector<int>({bottom.max_speed, bottom.length, bottom.reach}),
              std::vector<int>({4, 4, 96}));
    EXPECT_GE(placed.xs[0], 700);
    EXPECT_LT(placed.ys[0], 100);
}

TEST_F(SpawnTest, SameSeedSpawnsTheSameSwarm) {
    auto spawn_all = [] {
        std::srand(77);
        std::vector<Comet> swarm;
        for (int slot = 0; slot < COMET_COUNT; ++slot) {
            swarm.push_back(spawn_comet());
        }
        return swarm;
    };
    const std::vector<Comet> first = spawn_all();
    const std::vector<Comet> second = spawn_all();
    for (std::size_t slot = 0; slot < first.size(); ++slot) {
        EXPECT_EQ(first[slot].max_speed, second[slot].max_speed);
        EXPECT_EQ(first[slot].length, second[slot].length);
        EXPECT_EQ(first[slot].reach, second[slot].reach);
        EXPECT_EQ(first[slot].xs, second[slot].xs);
        EXPECT_EQ(first[slot].ys, second[slot].ys);
    }
}

}  // namespace
