// The scaled picture: the library's frames go into an 800x600 pixmap instead of its window,
// and the X server scales them with RENDER from there into the window, which then covers the
// whole full-screen window. The pointer's positions in that window are mapped back.
#include "x11/scaling.h"

#include <X11/extensions/Xrender.h>
#include <allegro.h>

#include <cstdio>

#include "picture_fit.h"
#include "x11/x_errors.h"

namespace {

struct Scaling {
    bool active;   // our hooks are in place
    bool refused;  // the server or the library could not have it: not tried again
    Display* display;
    Pixmap frame;
    Picture source;
    Picture target;
    PictureArea area;
};
Scaling scaling{};

// Called by the library, holding its lock, wherever it would put part of the screen into its
// window: the whole frame after every copy to the screen, and what an exposure uncovered.
void redraw_scaled(int x, int y, int width, int height) {
    redraw_into(scaling.frame, x, y, width, height);
    const PictureArea& area = scaling.area;
    XRenderComposite(scaling.display, PictOpSrc, scaling.source, None, scaling.target, 0, 0, 0, 0,
                     area.left, area.top, static_cast<unsigned>(area.width),
                     static_cast<unsigned>(area.height));
}

// The library reports a move as how far the pointer is, in window pixels, from where the
// library last put it; it is told instead how far the point shown there is in the picture.
void map_pointer(int dx, int dy, int dz, int dw, int buttons) {
    if (dx != 0 || dy != 0) {
        const int x = library_pointer_x(), y = library_pointer_y();
        const PicturePoint shown = picture_point(scaling.area, SCREEN_W, SCREEN_H, x + dx, y + dy);
        dx = shown.x - x;
        dy = shown.y - y;
    }
    pass_pointer_on(dx, dy, dz, dw, buttons);
}

void free_server_side() {
    if (scaling.source != None) {
        XRenderFreePicture(scaling.display, scaling.source);
    }
    if (scaling.target != None) {
        XRenderFreePicture(scaling.display, scaling.target);
    }
    if (scaling.frame != None) {
        XFreePixmap(scaling.display, scaling.frame);
    }
    scaling.source = scaling.target = None;
    scaling.frame = None;
}

// The library's own drawing back, before the library shuts down or where the window is the
// mode's size again.
void stop_scaling() {
    if (scaling.active) {
        restore_library_hooks();
        free_server_side();
        scaling.active = false;
    }
}

void stop_scaling_at_shutdown() {
    LibraryLock lock;
    stop_scaling();
}

// Said once: what stopped it then would stop it at every later size.
void refuse_scaling(const char* reason) {
    std::fprintf(stderr,
                 "comets: cannot scale the picture to the window (%s); showing it unscaled\n",
                 reason);
    scaling.refused = true;
}

// The pixmap the frames go into and the pictures RENDER scales between, checked before the
// hooks go in; false, with nothing left behind, where the server cannot have them.
bool start_scaling(const LibraryWindows& windows) {
    Display* display = windows.display;
    int first_event = 0, first_error = 0;
    if (!XRenderQueryExtension(display, &first_event, &first_error)) {
        refuse_scaling("the X server has no RENDER extension");
        return false;
    }
    XRenderPictFormat* format = XRenderFindVisualFormat(display, windows.visual);
    if (format == nullptr) {
        refuse_scaling("RENDER has no format for the library's visual");
        return false;
    }
    scaling.display = display;
    const XErrorTrap trap;
    scaling.frame =
        XCreatePixmap(display, windows.drawing, static_cast<unsigned>(SCREEN_W),
                      static_cast<unsigned>(SCREEN_H), static_cast<unsigned>(windows.depth));
    scaling.source = XRenderCreatePicture(display, scaling.frame, format, 0, nullptr);
    scaling.target = XRenderCreatePicture(display, windows.drawing, format, 0, nullptr);
    // The nearest pixel keeps it sharp.
    XRenderSetPictureFilter(display, scaling.source, FilterNearest, nullptr, 0);
    XSync(display, False);
    if (trap.caught()) {
        free_server_side();
        refuse_scaling("the X server refused its pixmap or pictures");
        return false;
    }
    if (!replace_library_hooks({redraw_scaled, map_pointer})) {
        free_server_side();
        refuse_scaling("the library has no drawing hooks to take over");
        return false;
    }
    static bool undo_registered = false;
    if (!undo_registered) {
        on_library_shutdown(stop_scaling_at_shutdown);
        undo_registered = true;
    }
    scaling.active = true;
    return true;
}

// The transform maps the window's pixels to the frame's.
void scale_into(const PictureArea& area) {
    XTransform transform{};
    transform.matrix[0][0] = XDoubleToFixed(static_cast<double>(SCREEN_W) / area.width);
    transform.matrix[1][1] = XDoubleToFixed(static_cast<double>(SCREEN_H) / area.height);
    transform.matrix[2][2] = XDoubleToFixed(1);
    XRenderSetPictureTransform(scaling.display, scaling.source, &transform);
    scaling.area = area;
}

}  // namespace

void fit_picture_to_window(const LibraryWindows& windows, int width, int height) {
    Display* display = windows.display;
    if (width == SCREEN_W && height == SCREEN_H) {
        stop_scaling();
        XMoveResizeWindow(display, windows.drawing, 0, 0, static_cast<unsigned>(SCREEN_W),
                          static_cast<unsigned>(SCREEN_H));
        return;
    }
    const bool started = !scaling.active;
    if (started && (scaling.refused || !start_scaling(windows))) {
        XMoveResizeWindow(display, windows.drawing, (width - SCREEN_W) / 2, (height - SCREEN_H) / 2,
                          static_cast<unsigned>(SCREEN_W), static_cast<unsigned>(SCREEN_H));
        return;
    }
    scale_into(fit_picture(width, height));
    XMoveResizeWindow(display, windows.drawing, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    // Black where the picture was and is no more; the next frame fills the rest.
    const XRenderColor black{0, 0, 0, 0xffff};
    XRenderFillRectangle(display, PictOpSrc, scaling.target, &black, 0, 0,
                         static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (started) {
        const PictureArea& area = scaling.area;
        XWarpPointer(display, None, windows.drawing, 0, 0, 0, 0, area.left + area.width / 2,
                     area.top + area.height / 2);
    }
}
