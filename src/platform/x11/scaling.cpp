// Fitting the 800x600 picture to a full-screen window of another size, as a compositor gives
// it (KWin and sway give it a whole monitor, or a HiDPI one a scaled size). The library's
// frames go into an 800x600 pixmap instead of its window, and the X server scales them with
// RENDER from there into the largest 4:3 area that fits, centred on black; the pointer's
// positions are mapped back into the picture. Where the server cannot, the picture is shown
// unscaled in the middle, after a one-line reason the first time. At the mode's size it is
// drawn as the library draws it.
// As a screen saver the picture goes the same way into the window the saver gave, at any size,
// never into one of the library's; there a window that went away ends the program.
#include <X11/extensions/Xrender.h>
#include <allegro.h>

#include <cstdio>

#include "picture_fit.h"
#include "x11/local.h"

namespace {

struct Scaling {
    bool active;   // our hooks are in place
    bool refused;  // the server or the library could not have it: not tried again
    bool given;    // the target is a window the program was given, not the library's
    bool gone;     // that window went away
    Display* display;
    Pixmap frame;
    Picture source;
    Picture target;
    PictureArea area;
};
Scaling scaling{};

void composite_frame() {
    const PictureArea& area = scaling.area;
    XRenderComposite(scaling.display, PictOpSrc, scaling.source, None, scaling.target, 0, 0, 0, 0,
                     area.left, area.top, static_cast<unsigned>(area.width),
                     static_cast<unsigned>(area.height));
}

// Called by the library, holding its lock, wherever it would put part of the screen into its
// window: the whole frame after every copy to the screen, and what an exposure uncovered.
void redraw_scaled(int x, int y, int width, int height) {
    redraw_into(scaling.frame, x, y, width, height);
    if (!scaling.given) {
        composite_frame();
        return;
    }
    // A given window can go away at any time. What was drawn into it then is an error, which
    // here means the end, not a fault to report: so each frame is waited for.
    if (!scaling.gone) {
        const XErrorTrap trap;
        composite_frame();
        XSync(scaling.display, False);
        if (trap.caught()) {
            scaling.gone = true;
            request_close();
        }
    }
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

// Once all three were asked for. One the server refused gives an error as it is freed, which
// start_scaling's trap expects.
void free_server_side() {
    XRenderFreePicture(scaling.display, scaling.source);
    XRenderFreePicture(scaling.display, scaling.target);
    XFreePixmap(scaling.display, scaling.frame);
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

// The pixmap the frames go into and the pictures RENDER scales between, from it into `target`
// of `target_visual`, checked before the hooks go in. Where the server or the library cannot
// have them, nothing is left behind, and the reason is returned.
const char* start_scaling(const LibraryWindows& windows, Window target, Visual* target_visual) {
    Display* display = windows.display;
    int first_event = 0, first_error = 0;
    if (!XRenderQueryExtension(display, &first_event, &first_error)) {
        return "the X server has no RENDER extension";
    }
    XRenderPictFormat* format = XRenderFindVisualFormat(display, windows.visual);
    XRenderPictFormat* target_format = XRenderFindVisualFormat(display, target_visual);
    if (format == nullptr || target_format == nullptr) {
        return "RENDER has no format for the windows' visuals";
    }
    scaling.display = display;
    const XErrorTrap trap;
    scaling.frame =
        XCreatePixmap(display, windows.drawing, static_cast<unsigned>(SCREEN_W),
                      static_cast<unsigned>(SCREEN_H), static_cast<unsigned>(windows.depth));
    scaling.source = XRenderCreatePicture(display, scaling.frame, format, 0, nullptr);
    scaling.target = XRenderCreatePicture(display, target, target_format, 0, nullptr);
    // The nearest pixel keeps it sharp.
    XRenderSetPictureFilter(display, scaling.source, FilterNearest, nullptr, 0);
    XSync(display, False);
    const char* refusal = nullptr;
    if (trap.caught()) {
        refusal = "the X server refused its pixmap or pictures";
    } else if (!replace_library_hooks(redraw_scaled, map_pointer)) {
        refusal = "the library has no drawing hooks to take over";
    }
    if (refusal != nullptr) {
        free_server_side();
        XSync(display, False);
        return refusal;
    }
    static bool undo_registered = false;
    if (!undo_registered) {
        on_library_shutdown(stop_scaling_at_shutdown);
        undo_registered = true;
    }
    scaling.active = true;
    return nullptr;
}

// Black over the whole target, where the picture was and is no more; the next frame fills the
// rest.
void fill_black(int width, int height) {
    const XRenderColor black{0, 0, 0, 0xffff};
    XRenderFillRectangle(scaling.display, PictOpSrc, scaling.target, &black, 0, 0,
                         static_cast<unsigned>(width), static_cast<unsigned>(height));
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
    if (started && !scaling.refused) {
        // Said once: what stopped it then would stop it at every later size.
        if (const char* refusal = start_scaling(windows, windows.drawing, windows.visual)) {
            std::fprintf(stderr,
                         "comets: cannot scale the picture to the window (%s); showing it "
                         "unscaled\n",
                         refusal);
            scaling.refused = true;
        }
    }
    if (!scaling.active) {
        XMoveResizeWindow(display, windows.drawing, (width - SCREEN_W) / 2, (height - SCREEN_H) / 2,
                          static_cast<unsigned>(SCREEN_W), static_cast<unsigned>(SCREEN_H));
        return;
    }
    scale_into(fit_picture(width, height));
    XMoveResizeWindow(display, windows.drawing, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    fill_black(width, height);
    if (started) {
        const PictureArea& area = scaling.area;
        XWarpPointer(display, None, windows.drawing, 0, 0, 0, 0, area.left + area.width / 2,
                     area.top + area.height / 2);
    }
}

const char* start_drawing_into(const LibraryWindows& windows, Window target, Visual* visual) {
    scaling.given = true;
    return start_scaling(windows, target, visual);
}

void fit_picture_to_given_window(const LibraryWindows&, int width, int height) {
    if (!scaling.active || scaling.gone) {
        return;
    }
    scale_into(fit_picture(width, height));
    // The window may be gone already: its next frame says so, quietly too.
    const XErrorTrap trap;
    fill_black(width, height);
    XSync(scaling.display, False);
}
