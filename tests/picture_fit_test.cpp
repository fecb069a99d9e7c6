#include <gtest/gtest.h>

#include <vector>

#include "platform/picture_fit.h"

// Wider windows show the picture as tall as they are, taller ones as wide, centred both ways.
TEST(PictureFit, KeepsFourToThreeAndCentres) {
    const struct {
        int width, height;
        PictureArea expected;
    } cases[] = {{1920, 1080, {240, 0, 1440, 1080}},
                 {1280, 1024, {0, 32, 1280, 960}},
                 {1024, 768, {0, 0, 1024, 768}},
                 {801, 601, {0, 0, 801, 600}},
                 {1, 1, {0, 0, 1, 1}},
                 {1, 600, {0, 299, 1, 1}},
                 {3, 1, {1, 0, 1, 1}}};
    for (const auto& c : cases) {
        const PictureArea area = fit_picture(c.width, c.height);
        EXPECT_EQ((std::vector<int>{area.left, area.top, area.width, area.height}),
                  (std::vector<int>{c.expected.left, c.expected.top, c.expected.width,
                                    c.expected.height}))
            << c.width << "x" << c.height;
    }
}

// The pointer over the scaled picture acts on the point shown there: its corners and middle map
// to the picture's, and a point in the black beside it past the picture's edge.
TEST(PictureFit, MapsWindowPointsToThePointShown) {
    const PictureArea area = fit_picture(1920, 1080);
    const auto at = [&](int x, int y) {
        const PicturePoint point = picture_point(area, 800, 600, x, y);
        return std::vector<int>{point.x, point.y};
    };
    EXPECT_EQ(at(240, 0), (std::vector<int>{0, 0}));
    EXPECT_EQ(at(960, 540), (std::vector<int>{400, 300}));
    EXPECT_EQ(at(1679, 1079), (std::vector<int>{799, 599}));
    EXPECT_EQ(at(1560, 960), (std::vector<int>{733, 533}));
    EXPECT_LT(at(100, 540)[0], 0);
}

// Down to a window of one pixel, the picture is never empty and lies inside the window, and
// every point of the window maps into the picture or past its edge, never through a division
// by zero (which the sanitizers' build reports).
TEST(PictureFit, EveryWindowFromOnePixelUpGetsAPicture) {
    for (int width = 1; width <= 40; ++width) {
        for (int height = 1; height <= 40; ++height) {
            const PictureArea area = fit_picture(width, height);
            ASSERT_TRUE(area.width >= 1 && area.height >= 1 && area.left >= 0 && area.top >= 0 &&
                        area.left + area.width <= width && area.top + area.height <= height)
                << width << "x" << height;
            const PicturePoint corner = picture_point(area, 800, 600, width - 1, height - 1);
            ASSERT_TRUE(corner.x >= 0 && corner.y >= 0) << width << "x" << height;
        }
    }
}
