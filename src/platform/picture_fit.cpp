#include "picture_fit.h"

#include <algorithm>

PictureArea fit_picture(int window_width, int window_height) {
    PictureArea area{};
    // As tall as the window where it is wider than 4:3, else as wide.
    if (window_width * 3 >= window_height * 4) {
        area.height = window_height;
        area.width = window_height * 4 / 3;
    } else {
        area.width = window_width;
        area.height = window_width * 3 / 4;
    }
    // At least a pixel each way: a window 1 wide would get a picture 0 high, which every later
    // scaling and pointer mapping divides by.
    area.width = std::max(area.width, 1);
    area.height = std::max(area.height, 1);
    area.left = (window_width - area.width) / 2;
    area.top = (window_height - area.height) / 2;
    return area;
}

PicturePoint picture_point(const PictureArea& area, int picture_width, int picture_height, int x,
                           int y) {
    return {(x - area.left) * picture_width / area.width,
            (y - area.top) * picture_height / area.height};
}
