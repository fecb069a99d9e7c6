// The library makes its full-screen window override-redirect, out of the window manager's
// hands, and grabs the whole keyboard on the root window. A bare X server gives it every key
// that way; but a Wayland compositor never gives the keyboard to an override-redirect XWayland
// window and ignores X11 grabs, and an X11 window manager loses its own keys to the grab.
// So where a window manager supports EWMH full screen, the window is handed to it: managed,
// full screen without decorations, getting keys through the focus and the window manager's
// close request through WM_DELETE_WINDOW, which the library hands to the close hook.
// A compositor may give that window the whole output rather than an 800x600 mode; the picture
// is then scaled to fit it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>
#include <X11/extensions/xf86vmode.h>
#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <time.h>
#include <xalleg.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "app/desktop.h"
#include "app/ending.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest start-up waits on an X11 window manager that does not answer, before the window
// goes back to how the library made it. Not less: the mode switch can keep a compositor busy
// for a while (mutter, started from a terminal, took up to 1.6 s to show the window).
constexpr auto PATIENCE = std::chrono::milliseconds(3000);

// The longest it waits on a Wayland compositor, which never gives the keyboard to the
// library's own window: going back to it would cost the keys for good, so the window stays
// handed over, however late the compositor shows it. A busy headless mutter took over 14 s.
constexpr auto COMPOSITOR_PATIENCE = std::chrono::seconds(30);

// The event mask the library gives its full-screen window, and the one it needs managed:
// keys arrive at the focus window, and losing the focus must release the keys held.
constexpr long LIBRARY_EVENTS = StructureNotifyMask;
constexpr long MANAGED_EVENTS =
    StructureNotifyMask | PropertyChangeMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;

struct Atoms {
    Atom supporting_wm_check;
    Atom supported;
    Atom wm_state;
    Atom wm_state_fullscreen;
    Atom wm_user_time;
    Atom wm_delete_window;
    Atom motif_wm_hints;
};

Atoms intern_atoms(Display* display) {
    auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
    return {atom("_NET_SUPPORTING_WM_CHECK"), atom("_NET_SUPPORTED"),    atom("_NET_WM_STATE"),
            atom("_NET_WM_STATE_FULLSCREEN"), atom("_NET_WM_USER_TIME"), atom("WM_DELETE_WINDOW"),
            atom("_MOTIF_WM_HINTS")};
}

// Errors from the server (a window gone, a request refused) must not end the program, as
// Xlib's default handler would: they are only noted, and the hand-over gives up.
bool x_error_seen = false;

int note_x_error(Display*, XErrorEvent*) {
    x_error_seen = true;
    return 0;
}

// The 32-bit items of a window's property of the given type; empty when it has none.
std::vector<unsigned long> read_property(Display* display, Window window, Atom name, Atom type) {
    Atom actual_type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, type, &actual_type, &format,
                           &count, &remaining, &data) == Success &&
        actual_type == type && format == 32 && data != nullptr) {
        // Xlib hands 32-bit items over as longs.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return items;
}

bool holds(const std::vector<unsigned long>& items, Atom atom) {
    for (const unsigned long item : items) {
        if (item == atom) {
            return true;
        }
    }
    return false;
}

// An EWMH window manager names a check window on the root window, and the check window names
// itself; one that crashed leaves the root naming a window that is gone or is another's.
bool full_screen_window_manager(Display* display, const Atoms& atoms) {
    const Window root = DefaultRootWindow(display);
    const std::vector<unsigned long> check =
        read_property(display, root, atoms.supporting_wm_check, XA_WINDOW);
    if (check.size() != 1) {
        return false;
    }
    const std::vector<unsigned long> named =
        read_property(display, check[0], atoms.supporting_wm_check, XA_WINDOW);
    XSync(display, False);
    if (x_error_seen || named.size() != 1 || named[0] != check[0]) {
        return false;
    }
    return holds(read_property(display, root, atoms.supported, XA_ATOM), atoms.wm_state_fullscreen);
}

// XWayland names itself by an extension of that name from version 23 on; before, only its
// mode extension's monitor model does. WAYLAND_DISPLAY proves nothing: Xvfb is often started
// inside a Wayland session.
bool on_xwayland(Display* display) {
    int opcode = 0, first_event = 0, first_error = 0;
    if (XQueryExtension(display, "XWAYLAND", &opcode, &first_event, &first_error)) {
        return true;
    }
    if (!XQueryExtension(display, "XFree86-VidModeExtension", &opcode, &first_event,
                         &first_error)) {
        return false;
    }
    XF86VidModeMonitor monitor{};
    bool xwayland = false;
    if (XF86VidModeGetMonitor(display, DefaultScreen(display), &monitor)) {
        xwayland = monitor.model != nullptr && std::strcmp(monitor.model, "XWAYLAND") == 0;
        XFree(monitor.vendor);
        XFree(monitor.model);
        XFree(monitor.hsync);
        XFree(monitor.vsync);
    }
    return xwayland;
}

// Polls `ready` until it holds or the deadline passes; a signal to end stops the wait at once.
template <typename Test>
bool wait_until(Clock::time_point deadline, Test ready) {
    for (;;) {
        if (ready()) {
            return true;
        }
        if (x_error_seen || ending_signal() != 0 || Clock::now() >= deadline) {
            return false;
        }
        const timespec pause{0, 2'000'000};
        nanosleep(&pause, nullptr);
    }
}

bool viewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// The server's current time, read from the PropertyNotify that naming the window causes (the
// window must select PropertyChangeMask); CurrentTime if it never comes.
Time name_window(Display* display, Window window, Clock::time_point deadline) {
    XStoreName(display, window, _xwin.window_title);
    Time now = CurrentTime;
    wait_until(deadline, [&] {
        XEvent event;
        while (XCheckTypedWindowEvent(display, window, PropertyNotify, &event)) {
            if (event.xproperty.atom == XA_WM_NAME) {
                now = event.xproperty.time;
            }
        }
        return now != CurrentTime;
    });
    return now;
}

// What a window manager reads when the window is mapped: its names, that it takes the
// keyboard, that it takes close requests, that it wants full screen, and when the user last
// acted, so that focus-stealing prevention lets it have the focus.
void describe_window(Display* display, Window window, const Atoms& atoms, Time user_time) {
    XClassHint class_hint{_xwin.application_name, _xwin.application_class};
    XSetClassHint(display, window, &class_hint);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display, window, &hints);
    Atom protocols[] = {atoms.wm_delete_window};
    XSetWMProtocols(display, window, protocols, 1);
    // No decorations asked, not only full screen: a window manager then makes no frame for
    // it, and mutter 48, whose frames come from a helper program, shows it without waiting
    // for that program (it took over 3 s on its first start here).
    const unsigned long motif_hints[5] = {1 << 1, 0, 0, 0, 0};  // decorations: none
    XChangeProperty(display, window, atoms.motif_wm_hints, atoms.motif_wm_hints, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(motif_hints), 5);
    const unsigned long state[] = {atoms.wm_state_fullscreen};
    XChangeProperty(display, window, atoms.wm_state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state), 1);
    if (user_time != CurrentTime) {
        const unsigned long when[] = {user_time};
        XChangeProperty(display, window, atoms.wm_user_time, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(when), 1);
    }
}

// Asks for full screen by message as well: a window manager may drop the state property of a
// window that was withdrawn, and bring it up maximized with a title bar instead.
void request_full_screen(Display* display, Window window, const Atoms& atoms) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atoms.wm_state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // _NET_WM_STATE_ADD
    event.xclient.data.l[1] = static_cast<long>(atoms.wm_state_fullscreen);
    event.xclient.data.l[3] = 1;  // asked by an application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// The pointer stays confined to the drawing window, as the library had it; unmapping its
// window ended the library's grab.
void grab_pointer(Display* display) {
    _xwin.mouse_grabbed =
        XGrabPointer(display, _xwin.window, False,
                     PointerMotionMask | ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                     GrabModeAsync, _xwin.window, None, CurrentTime) == GrabSuccess;
}

void set_override_redirect(Display* display, Window window, bool override, long events) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = override ? True : False;
    attributes.event_mask = events;
    XChangeWindowAttributes(display, window, CWOverrideRedirect | CWEventMask, &attributes);
}

// Makes the window a managed full-screen window; false if the window manager did not show it
// full screen by the deadline.
bool make_managed(Display* display, Window window, const Atoms& atoms, Clock::time_point deadline) {
    // The window manager sees a window only when it is mapped, and leaves an override-redirect
    // one alone: so it is unmapped, changed and mapped again. The keyboard now comes through
    // the focus, and the window manager's own keys (Alt+F4, Alt+Tab) work again.
    XUnmapWindow(display, window);
    XUngrabKeyboard(display, CurrentTime);
    _xwin.keyboard_grabbed = 0;
    set_override_redirect(display, window, false, MANAGED_EVENTS);
    const Time user_time = name_window(display, window, deadline);
    describe_window(display, window, atoms, user_time);
    XMapRaised(display, window);
    if (!wait_until(deadline, [&] { return viewable(display, window); })) {
        return false;
    }
    request_full_screen(display, window, atoms);
    const bool full_screen = wait_until(deadline, [&] {
        return holds(read_property(display, window, atoms.wm_state, XA_ATOM),
                     atoms.wm_state_fullscreen);
    });
    grab_pointer(display);
    return full_screen;
}

// Gives the window back its library form: override-redirect over the whole display, with the
// keyboard and the pointer grabbed.
void restore_library_window(Display* display, Window window, Clock::time_point deadline) {
    XWithdrawWindow(display, window, DefaultScreen(display));
    set_override_redirect(display, window, true, LIBRARY_EVENTS);
    XMapRaised(display, window);
    wait_until(deadline, [&] { return viewable(display, window); });
    _xwin.keyboard_grabbed =
        XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync,
                      CurrentTime) == GrabSuccess;
    grab_pointer(display);
}

// The scaled picture: the library's frames are put into an 800x600 pixmap instead of its
// window, and the X server scales them from there into the window, which now covers the
// whole full-screen window. The pointer's positions in that window are mapped back.
struct Scaling {
    Window shown_window;
    Pixmap frame;
    Picture source;
    Picture target;
    PictureArea area;
    void (*library_redrawer)(int, int, int, int);
    void (*library_mouse_handler)(int, int, int, int, int);
};
Scaling scaling{};

// Called by the library, holding its lock, wherever it would put part of the screen into its
// window: the whole frame after every copy to the screen, and what an exposure uncovered.
void redraw_scaled(int x, int y, int width, int height) {
    _xwin.window = scaling.frame;
    scaling.library_redrawer(x, y, width, height);
    _xwin.window = scaling.shown_window;
    const PictureArea& area = scaling.area;
    XRenderComposite(_xwin.display, PictOpSrc, scaling.source, None, scaling.target, 0, 0, 0, 0,
                     area.left, area.top, static_cast<unsigned>(area.width),
                     static_cast<unsigned>(area.height));
}

// The library reports a move as how far the pointer is, in window pixels, from where the
// library last put it; it is told instead how far the point shown there is in the picture.
void map_pointer(int dx, int dy, int dz, int dw, int buttons) {
    if (dx != 0 || dy != 0) {
        const PictureArea& area = scaling.area;
        dx = (_mouse_x + dx - area.left) * SCREEN_W / area.width - _mouse_x;
        dy = (_mouse_y + dy - area.top) * SCREEN_H / area.height - _mouse_y;
    }
    scaling.library_mouse_handler(dx, dy, dz, dw, buttons);
}

// Scales the picture into `area` of the full-screen window; false where the server cannot.
bool scale_picture(Display* display, const PictureArea& area, int window_width, int window_height) {
    int first_event = 0, first_error = 0;
    XRenderPictFormat* format = nullptr;
    if (XRenderQueryExtension(display, &first_event, &first_error)) {
        format = XRenderFindVisualFormat(display, _xwin.visual);
    }
    if (format == nullptr || _xwin_mouse_interrupt == nullptr) {
        return false;
    }
    const Window window = _xwin.window;
    scaling = {window, None, None, None, area, _xwin_window_redrawer, _xwin_mouse_interrupt};
    scaling.frame =
        XCreatePixmap(display, window, static_cast<unsigned>(SCREEN_W),
                      static_cast<unsigned>(SCREEN_H), static_cast<unsigned>(_xwin.window_depth));
    scaling.source = XRenderCreatePicture(display, scaling.frame, format, 0, nullptr);
    scaling.target = XRenderCreatePicture(display, window, format, 0, nullptr);
    // The transform maps the window's pixels to the frame's; the nearest pixel keeps it sharp.
    XTransform transform{};
    transform.matrix[0][0] = XDoubleToFixed(static_cast<double>(SCREEN_W) / area.width);
    transform.matrix[1][1] = XDoubleToFixed(static_cast<double>(SCREEN_H) / area.height);
    transform.matrix[2][2] = XDoubleToFixed(1);
    XRenderSetPictureTransform(display, scaling.source, &transform);
    XRenderSetPictureFilter(display, scaling.source, FilterNearest, nullptr, 0);
    XMoveResizeWindow(display, window, 0, 0, static_cast<unsigned>(window_width),
                      static_cast<unsigned>(window_height));
    _xwin_window_redrawer = redraw_scaled;
    _xwin_mouse_interrupt = map_pointer;
    XWarpPointer(display, None, window, 0, 0, 0, 0, area.left + area.width / 2,
                 area.top + area.height / 2);
    return true;
}

// A window manager that gives the full-screen window another size than the mode (KWin and
// sway give it the whole output) would show the picture small in a corner: it is scaled to
// fit, or where the server cannot scale, shown as it is in the middle.
void fit_picture_to_window(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        (attributes.width == SCREEN_W && attributes.height == SCREEN_H)) {
        return;
    }
    const PictureArea area = fit_picture(attributes.width, attributes.height);
    if (!scale_picture(display, area, attributes.width, attributes.height)) {
        XMoveWindow(display, _xwin.window, (attributes.width - SCREEN_W) / 2,
                    (attributes.height - SCREEN_H) / 2);
    }
}

}  // namespace

PictureArea fit_picture(int window_width, int window_height) {
    PictureArea area{};
    // 4:3 kept: as tall as the window where it is wider than that, else as wide.
    if (window_width * 3 >= window_height * 4) {
        area.height = window_height;
        area.width = window_height * 4 / 3;
    } else {
        area.width = window_width;
        area.height = window_width * 3 / 4;
    }
    area.left = (window_width - area.width) / 2;
    area.top = (window_height - area.height) / 2;
    return area;
}

void hand_screen_to_window_manager() {
    // The library's input thread reads events from the same connection: holding its lock
    // keeps the events awaited here from being taken there.
    XLOCK();
    Display* display = _xwin.display;
    const Window window = _xwin.fs_window;
    if (display != nullptr && window != None) {
        x_error_seen = false;
        XErrorHandler library_handler = XSetErrorHandler(note_x_error);
        const Atoms atoms = intern_atoms(display);
        if (full_screen_window_manager(display, atoms)) {
            const bool compositor = on_xwayland(display);
            const Clock::time_point deadline =
                Clock::now() + (compositor ? Clock::duration(COMPOSITOR_PATIENCE) : PATIENCE);
            if (make_managed(display, window, atoms, deadline)) {
                fit_picture_to_window(display, window);
            } else if (!compositor && ending_signal() == 0) {
                x_error_seen = false;
                restore_library_window(display, window, Clock::now() + PATIENCE / 4);
            }
        }
        XSync(display, False);
        XSetErrorHandler(library_handler);
    }
    XUNLOCK();
}
