#include <gtest/gtest.h>

#include <cstdlib>

#include "support.h"

namespace {

// Segment colours of the test comets, and the ring colour each one is outlined in.
constexpr ColourCell HEAD = {200, 100, 0, 0};
constexpr ColourCell TRAIL[] = {{0, 80, 160, 0}, {10, 20, 30, 0}, {100, 0, 50, 0}};
constexpr ColourCell RINGS[] = {
    {255, 150, 0, 0}, {0, 120, 240, 0}, {15, 30, 45, 0}, {150, 0, 75, 0}};

int colour_of(const ColourCell& c) {
    return makecol(c.red, c.green, c.blue);
}

// A seed after which a length-4 comet's ten sparkles (two rand() results each) all have
// angles below 128: they land at or to the right of their centre, so the left half of
// every segment shows its ring and disc only.
unsigned seed_for_sparkles_on_the_right() {
    return find_seed(20, [](const std::vector<int>& r) {
        for (std::size_t i = 0; i < r.size(); i += 2) {
            if (r[i] % 256 >= 128) {
                return false;
            }
        }
        return true;
    });
}

// A seed after which the tail sparkle of a length-4 comet (the 20th and 21st results)
// has the given angle and distance.
unsigned seed_for_tail_sparkle(int angle, int dist) {
    return find_seed(
        20, [&](const std::vector<int>& r) { return r[18] % 256 == angle && r[19] % 2 == dist; });
}

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        start_headless_library();
        bitmap = create_bitmap(800, 600);
        ASSERT_NE(bitmap, nullptr);
        clear_bitmap(bitmap);
    }
    void TearDown() override {
        destroy_bitmap(bitmap);
    }

    // A length-4 comet at (x, y) with a different colour for every segment.
    static Comet coloured_comet(int x, int y) {
        Comet comet = make_comet(4, x, y);
        comet.colours = {HEAD, TRAIL[0], TRAIL[1], TRAIL[2]};
        return comet;
    }

    BITMAP* bitmap = nullptr;
};

TEST_F(DrawTest, LengthFourDrawsRingsOfFiveToTwoDiscsOfFourToOneAndTenSparkles) {
    Comet comet = coloured_comet(0, 100);
    for (std::size_t j = 0; j < 4; ++j) {
        comet.xs[j] = 100 + 100 * static_cast<int>(j);  // apart, so nothing overlaps
    }
    const std::vector<int> r = replay_rand(seed_for_sparkles_on_the_right(), 21);
    draw_comet(comet, bitmap);
    EXPECT_EQ(std::rand(), r[20]) << "ten sparkles take twenty rand() results";

    for (int j = 0; j < 4; ++j) {
        const int x = comet.xs[static_cast<std::size_t>(j)];
        const int radius = 4 - j;
        const ColourCell& cell = comet.colours[static_cast<std::size_t>(j)];
        EXPECT_EQ(getpixel(bitmap, x - radius - 2, 100), 0) << "segment " << j;
        const int ring = colour_of(RINGS[j]);
        EXPECT_EQ(getpixel(bitmap, x - radius - 1, 100), ring) << "segment " << j;
        EXPECT_EQ(getpixel(bitmap, x - 1, 100 - radius - 1), ring) << "segment " << j;
        EXPECT_EQ(getpixel(bitmap, x - radius, 100), colour_of(cell)) << "segment " << j;
        EXPECT_EQ(getpixel(bitmap, x - 1, 100 + radius - 1), colour_of(cell)) << "segment " << j;
    }
}

TEST_F(DrawTest, LaterSegmentsCoverEarlierOnesAndRingsShowOnlyOutsideEveryDisc) {
    std::srand(seed_for_sparkles_on_the_right());
    draw_comet(coloured_comet(100, 100), bitmap);
    // Leftwards from the centre of a comet whose segments all lie on one spot.
    EXPECT_EQ(getpixel(bitmap, 99, 100), colour_of(TRAIL[2]));
    EXPECT_EQ(getpixel(bitmap, 98, 100), colour_of(TRAIL[1]));
    EXPECT_EQ(getpixel(bitmap, 97, 100), colour_of(TRAIL[0]));
    EXPECT_EQ(getpixel(bitmap, 96, 100), colour_of(HEAD)) << "the head's disc covers ring 1";
    EXPECT_EQ(getpixel(bitmap, 95, 100), colour_of(RINGS[0]));
    EXPECT_EQ(getpixel(bitmap, 94, 100), 0);
}

TEST_F(DrawTest, OutlineChannelsAreBrightenedByHalfAndHeldAt255) {
    Comet comet = coloured_comet(100, 100);
    comet.colours[0] = {200, 100, 255, 0};
    std::srand(seed_for_sparkles_on_the_right());
    draw_comet(comet, bitmap);
    EXPECT_EQ(getpixel(bitmap, 95, 100), makecol(255, 150, 255));

    comet.colours[0] = {1, 171, 169, 0};
    std::srand(seed_for_sparkles_on_the_right());
    draw_comet(comet, bitmap);
    EXPECT_EQ(getpixel(bitmap, 95, 100), makecol(1, 255, 253));
}

TEST_F(DrawTest, SparklesPointByAngleAndCarryTheHeadsColour) {
    struct Case {
        int angle, dist, dx, dy;
    };
    const Case cases[] = {
        {0, 0, 0, 0},     // on the centre
        {0, 1, 0, 1},     // angle 0 points down the screen
        {64, 1, 1, 0},    // 64 to the right
        {128, 1, 0, -1},  // 128 up
        {192, 1, -1, 0},  // 192 to the left
        {32, 1, 1, 1},    // the diagonal neighbour
    };
    for (const Case& c : cases) {
        clear_bitmap(bitmap);
        std::srand(seed_for_tail_sparkle(c.angle, c.dist));
        draw_comet(coloured_comet(100, 100), bitmap);
        // The tail's single sparkle is the last thing drawn, so nothing covers it.
        EXPECT_EQ(getpixel(bitmap, 100 + c.dx, 100 + c.dy), colour_of(HEAD))
            << "angle " << c.angle << ", dist " << c.dist;
    }
}

TEST_F(DrawTest, SparklesStayWithinTwiceTheirSegmentsRadius) {
    // The head's colour appears nowhere else, so every pixel of it outside the head's disc
    // is a sparkle.
    Comet comet = coloured_comet(0, 300);
    for (std::size_t j = 0; j < 4; ++j) {
        comet.xs[j] = 100 + 150 * static_cast<int>(j);
    }
    for (unsigned seed = 1; seed <= 50; ++seed) {
        clear_bitmap(bitmap);
        std::srand(seed);
        draw_comet(comet, bitmap);
        for (int y = 280; y <= 320; ++y) {
            for (int x = 80; x <= 600; ++x) {
                if (getpixel(bitmap, x, y) != colour_of(HEAD)) {
                    continue;
                }
                bool near_a_segment = false;
                for (int j = 0; j < 4; ++j) {
                    const int reach = 2 * (4 - j) - 1;
                    near_a_segment |=
                        distance(x - comet.xs[static_cast<std::size_t>(j)], y - 300) <= reach;
                }
                EXPECT_TRUE(near_a_segment) << "stray sparkle at " << x << "," << y;
            }
        }
    }
}

TEST_F(DrawTest, ShapesOffTheBitmapAreClipped) {
    BITMAP* small = create_bitmap(40, 30);
    ASSERT_NE(small, nullptr);
    clear_bitmap(small);
    Comet comet = make_comet(19, -3000, 5000);
    comet.colours.assign(19, HEAD);
    std::srand(3);
    draw_comet(comet, small);
    int lit = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            lit += getpixel(small, x, y) != 0;
        }
    }
    EXPECT_EQ(lit, 0) << "a comet wholly off the bitmap draws nothing";

    for (const auto& [x, y] : {std::pair(0, 0), std::pair(39, 29), std::pair(-5, 15)}) {
        comet.xs.assign(19, x);
        comet.ys.assign(19, y);
        draw_comet(comet, small);
    }
    EXPECT_EQ(getpixel(small, 0, 0), colour_of(HEAD));
    EXPECT_EQ(getpixel(small, 39, 29), colour_of(HEAD));
    EXPECT_EQ(getpixel(small, 0, 15), colour_of(HEAD)) << "partly off: the rest is drawn";
    destroy_bitmap(small);
}

}  // namespace
