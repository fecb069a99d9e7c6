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
                 {801, 601, {0, 0, 801, 600}}};
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
