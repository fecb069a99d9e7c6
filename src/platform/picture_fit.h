// Where the 800x600 picture shows in a window of another size, and which point of the picture
// a point of that window shows. Plain geometry, the same on every platform.
#pragma once

struct PictureArea {
    int left;
    int top;
    int width;
    int height;
};

// As large as fits with 4:3 kept, centred; at least 1x1 for any window of 1x1 or more.
PictureArea fit_picture(int window_width, int window_height);

// The point of a `picture_width` x `picture_height` picture shown at (x, y) of the window
// where it fills `area`; a point beside the picture maps past its edge, as the pointer there
// is past it.
struct PicturePoint {
    int x;
    int y;
};
PicturePoint picture_point(const PictureArea& area, int picture_width, int picture_height, int x,
                           int y);
