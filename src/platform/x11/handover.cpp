// The library makes its full-screen window override-redirect, out of the window manager's
// hands, and grabs the whole keyboard on the root window. A bare X server gives it every key
// that way; but a Wayland compositor never gives the keyboard to an override-redirect XWayland
// window and ignores X11 grabs, and an X11 window manager loses its own keys to the grab.
// So where a window manager supports EWMH full screen, the window is handed to it: managed,
// full screen without decorations, getting keys through the focus and the window manager's
// close request through WM_DELETE_WINDOW, which the library hands to the close hook.
// It goes to the monitor where the pointer is, and the picture is fitted to whatever size the
// window manager gives it, then and later.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/xf86vmode.h>
#include <allegro.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ending.h"
#include "x11/local.h"

namespace {

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
    StructureNotifyMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;

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

// Errors from the server (a window gone, a request refused) make the hand-over give up.
XErrorTrap* hand_over_trap = nullptr;

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
    return std::find(items.begin(), items.end(), atom) != items.end();
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
    if (hand_over_trap->caught() || named.size() != 1 || named[0] != check[0]) {
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

// Whether the program is to end: a signal, or the user's Esc or close request, which the
// library's input thread takes meanwhile. The hand-over then stops where it is.
bool ending() {
    return ending_signal() != 0 || key[KEY_ESC] || close_requested();
}

// Waits until `ready` holds or the deadline passes; an error from the server or the program's
// end stops the wait at once.
template <typename Test>
bool wait_until(Clock::time_point deadline, Test ready) {
    bool met = false;
    poll_until(deadline, std::chrono::milliseconds(2), [&] {
        met = ready();
        return met || hand_over_trap->caught() || ending();
    });
    return met;
}

bool viewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// The server's current time, read from the PropertyNotify that naming the window causes, on
// the program's own connection (the library's input thread takes every event of its own);
// CurrentTime if it never comes.
Time name_window(const LibraryWindows& windows, Clock::time_point deadline) {
    const Window window = windows.full_screen;
    Display* connection = own_connection(windows.display);
    if (connection != nullptr) {
        XSelectInput(connection, window, PropertyChangeMask);
        XSync(connection, False);
    }
    XStoreName(windows.display, window, windows.title);
    XFlush(windows.display);
    Time now = CurrentTime;
    wait_until(deadline, [&] {
        XEvent event;
        while (connection != nullptr &&
               XCheckTypedWindowEvent(connection, window, PropertyNotify, &event)) {
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
void describe_window(const LibraryWindows& windows, const Atoms& atoms, Time user_time) {
    Display* display = windows.display;
    const Window window = windows.full_screen;
    XClassHint class_hint{const_cast<char*>(windows.application_name),
                          const_cast<char*>(windows.application_class)};
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

void set_override_redirect(Display* display, Window window, bool override, long events) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = override ? True : False;
    attributes.event_mask = events;
    XChangeWindowAttributes(display, window, CWOverrideRedirect | CWEventMask, &attributes);
}

// Makes the window a managed full-screen window; false if the window manager did not show it
// full screen by the deadline.
bool make_managed(const LibraryWindows& windows, const Atoms& atoms, Clock::time_point deadline) {
    Display* display = windows.display;
    const Window window = windows.full_screen;
    // The window manager sees a window only when it is mapped, and leaves an override-redirect
    // one alone: so it is unmapped, changed and mapped again. The keyboard now comes through
    // the focus, and the window manager's own keys (Alt+F4, Alt+Tab) work again.
    XUnmapWindow(display, window);
    XUngrabKeyboard(display, CurrentTime);
    {
        const LibraryLock lock;
        note_keyboard_grab(false);
    }
    set_override_redirect(display, window, false, MANAGED_EVENTS);
    const Time user_time = name_window(windows, deadline);
    describe_window(windows, atoms, user_time);
    XMapRaised(display, window);
    if (!wait_until(deadline, [&] { return viewable(display, window); })) {
        return false;
    }
    request_full_screen(display, window, atoms);
    const bool full_screen = wait_until(deadline, [&] {
        return holds(read_property(display, window, atoms.wm_state, XA_ATOM),
                     atoms.wm_state_fullscreen);
    });
    // The pointer stays confined to the picture, as the library had it; unmapping its window
    // ended the library's grab.
    const LibraryLock lock;
    confine_pointer();
    return full_screen;
}

// Gives the window back its library form: override-redirect over the whole display, with the
// keyboard and the pointer grabbed.
void restore_library_window(Display* display, Window window, Clock::time_point deadline) {
    XWithdrawWindow(display, window, DefaultScreen(display));
    set_override_redirect(display, window, true, LIBRARY_EVENTS);
    XMapRaised(display, window);
    wait_until(deadline, [&] { return viewable(display, window); });
    const bool grabbed = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                                       GrabModeAsync, CurrentTime) == GrabSuccess;
    const LibraryLock lock;
    note_keyboard_grab(grabbed);
    if (!grabbed) {
        std::fprintf(stderr,
                     "comets: cannot grab the keyboard (another program holds it); keys will "
                     "not reach the program\n");
    }
    confine_pointer();
}

// Hands the window over, or gives it back its library form where the window manager does not
// take it in time.
void hand_over(const LibraryWindows& windows) {
    Display* display = windows.display;
    const Atoms atoms = intern_atoms(display);
    if (!full_screen_window_manager(display, atoms)) {
        return;
    }
    const bool compositor = on_xwayland(display);
    const Clock::time_point deadline =
        Clock::now() + (compositor ? Clock::duration(COMPOSITOR_PATIENCE) : PATIENCE);
    place_on_pointer_monitor(windows);
    const bool managed = make_managed(windows, atoms, deadline);
    if (managed || compositor) {
        // A compositor that did not show it in time keeps it, and may show it later. When the
        // window loses the focus (Alt+Tab, a click elsewhere, an overview) the pointer is let
        // go, and the library releases the keys held; it is confined again when the focus
        // comes back. The library calls these from its input thread, holding its lock.
        {
            const LibraryLock lock;
            set_display_switch_callback(SWITCH_OUT, release_pointer);
            set_display_switch_callback(SWITCH_IN, confine_pointer);
            start_following(windows, windows.full_screen, fit_picture_to_window);
        }
        if (compositor) {
            repaint_other_monitors(display);
        }
    } else if (!ending()) {
        hand_over_trap->reset();
        restore_library_window(display, windows.full_screen, Clock::now() + PATIENCE / 4);
        // It keeps the monitor's size it was given for the window manager: the picture is
        // fitted to it, and to any size it is given later.
        const LibraryLock lock;
        start_following(windows, windows.full_screen, fit_picture_to_window);
    }
}

}  // namespace

void hand_screen_to_window_manager() {
    // The library's lock is held only where its state is touched: the waits, which take
    // seconds with a slow window manager, leave its input thread free to take Esc and the close
    // request meanwhile. Events are awaited on the program's own connection, as that thread
    // takes every event of the library's. Xlib itself is thread-safe here: the library started
    // it so.
    LibraryWindows windows{};
    {
        const LibraryLock lock;
        windows = library_windows();
        if (windows.display == nullptr || windows.full_screen == None) {
            return;
        }
        on_library_shutdown(expect_x_errors_from_now);
        watch_close_requests();
    }
    XErrorTrap trap;
    hand_over_trap = &trap;
    hand_over(windows);
    XSync(windows.display, False);
    hand_over_trap = nullptr;
}
