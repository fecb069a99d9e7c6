// A small X client for the end-to-end tests.
//   x11_probe close NAME   asks every window called NAME to close, as a window manager's
//                          close button does (a WM_DELETE_WINDOW message)
//   x11_probe wm-close NAME
//                          asks the window manager to close every window called NAME, as a
//                          taskbar does (a _NET_CLOSE_WINDOW message to the root window)
//   x11_probe kill NAME    has the server cut off the clients owning windows called NAME,
//                          as xkill does
//   x11_probe snapshot [X Y W H]
//                          prints "<hash> <non-black pixels> <distinct colours>" of the
//                          root window, so two moments of the display can be compared; of that
//                          rectangle, then also the box the non-black pixels lie in, "<left>
//                          <top> <right> <bottom>" (exclusive) within it, or "none"
//   x11_probe window W H   shows a plain window of that size at the top left corner, prints
//                          its id and keeps it until ended
//   x11_probe elsewhere SECONDS
//                          shows a window of its own, has the window manager activate it, as a
//                          click or Alt+Tab does, and grabs the pointer there; holds it for
//                          SECONDS, then closes it. 1 if it cannot have the focus or the grab
//   x11_probe white X Y W H
//                          prints how many pixels of that rectangle are pure white, as the
//                          fill of the library's mouse pointer is
//   x11_probe stand-in-wm ignore|map
//                          a window manager that says it does EWMH full screen and never
//                          does: it takes the requests to show windows and ignores them
//                          ("ignore", as one that is just starting may), or shows and focuses
//                          the window but never makes it full screen ("map"). Says "ready"
//                          once it is in place, then runs until ended
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace {

std::vector<Window> windows_named(Display* display, Window parent, const char* name) {
    std::vector<Window> found;
    char* window_name = nullptr;
    if (XFetchName(display, parent, &window_name) != 0 && window_name != nullptr) {
        if (std::strcmp(window_name, name) == 0) {
            found.push_back(parent);
        }
        XFree(window_name);
    }
    Window root = 0, grandparent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, parent, &root, &grandparent, &children, &count) != 0) {
        for (unsigned i = 0; i < count; ++i) {
            const std::vector<Window> below = windows_named(display, children[i], name);
            found.insert(found.end(), below.begin(), below.end());
        }
        if (children != nullptr) {
            XFree(children);
        }
    }
    return found;
}

// Applies `act` to every window called `name`; 1, after a message, when there is none.
template <typename Action>
int on_windows_named(Display* display, const char* name, Action act) {
    const std::vector<Window> targets = windows_named(display, DefaultRootWindow(display), name);
    for (const Window window : targets) {
        act(window);
    }
    XSync(display, False);
    if (targets.empty()) {
        std::fprintf(stderr, "x11_probe: no window called %s\n", name);
        return 1;
    }
    return 0;
}

// Sends a 32-bit client message of `type` about `window`, with two data items, to `target`.
void send_message(Display* display, Window target, long mask, Window window, Atom type, long first,
                  long second) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = first;
    event.xclient.data.l[1] = second;
    XSendEvent(display, target, False, mask, &event);
}

int close_windows(Display* display, const char* name) {
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    return on_windows_named(display, name, [&](Window window) {
        send_message(display, window, NoEventMask, window, protocols,
                     static_cast<long>(delete_window), CurrentTime);
    });
}

int ask_window_manager_to_close(Display* display, const char* name) {
    const Atom close_window = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
    return on_windows_named(display, name, [&](Window window) {
        // Data: the time, and that a pager or taskbar asks.
        send_message(display, DefaultRootWindow(display),
                     SubstructureRedirectMask | SubstructureNotifyMask, window, close_window,
                     CurrentTime, 2);
    });
}

int kill_clients(Display* display, const char* name) {
    return on_windows_named(display, name, [&](Window window) { XKillClient(display, window); });
}

int snapshot(Display* display, const char* const rectangle[]) {
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    int left = 0, top = 0, width = attributes.width, height = attributes.height;
    if (rectangle != nullptr) {
        left = std::atoi(rectangle[0]);
        top = std::atoi(rectangle[1]);
        width = std::atoi(rectangle[2]);
        height = std::atoi(rectangle[3]);
    }
    XImage* image = XGetImage(display, root, left, top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "x11_probe: cannot read the root window\n");
        return 1;
    }
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    long non_black = 0;
    std::unordered_set<unsigned long> colours;
    int lit_left = width, lit_top = height, lit_right = 0, lit_bottom = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y) & 0xffffffu;
            hash = (hash ^ pixel) * 1099511628211ull;
            colours.insert(pixel);
            if (pixel != 0) {
                ++non_black;
                lit_left = std::min(lit_left, x);
                lit_top = std::min(lit_top, y);
                lit_right = std::max(lit_right, x + 1);
                lit_bottom = std::max(lit_bottom, y + 1);
            }
        }
    }
    XDestroyImage(image);
    std::printf("%016llx %ld %zu", static_cast<unsigned long long>(hash), non_black,
                colours.size());
    if (rectangle == nullptr) {
        std::printf("\n");
    } else if (non_black == 0) {
        std::printf(" none\n");
    } else {
        std::printf(" %d %d %d %d\n", lit_left, lit_top, lit_right, lit_bottom);
    }
    return 0;
}

int show_window(Display* display, const char* const size[]) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;  // where it is put, with or without a window manager
    const Window window = XCreateWindow(
        display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(std::atoi(size[0])),
        static_cast<unsigned>(std::atoi(size[1])), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWOverrideRedirect, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    pause();
    return 0;
}

int count_white(Display* display, const char* const corner_and_size[4]) {
    const int x = std::atoi(corner_and_size[0]), y = std::atoi(corner_and_size[1]);
    const int width = std::atoi(corner_and_size[2]), height = std::atoi(corner_and_size[3]);
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "x11_probe: cannot read that part of the root window\n");
        return 1;
    }
    long white = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            white += (XGetPixel(image, column, row) & 0xffffffu) == 0xffffffu;
        }
    }
    XDestroyImage(image);
    std::printf("%ld\n", white);
    return 0;
}

int take_focus_elsewhere(Display* display, const char* seconds) {
    const Window root = DefaultRootWindow(display);
    const Window window = XCreateSimpleWindow(display, root, 0, 0, 200, 200, 0, 0, 0);
    XStoreName(display, window, "elsewhere");
    XMapRaised(display, window);
    XSync(display, False);
    const Atom active_window = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    bool focused = false, grabbed = false;
    for (int tries = 0; tries < 60 && !grabbed; ++tries) {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        focused = focus == window;
        if (!focused) {
            send_message(display, root, SubstructureRedirectMask | SubstructureNotifyMask, window,
                         active_window, 2, CurrentTime);  // asked by a pager
        } else {
            grabbed = XGrabPointer(display, window, False, ButtonPressMask, GrabModeAsync,
                                   GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
        }
        XSync(display, False);
        usleep(50'000);
    }
    if (!grabbed) {
        std::fprintf(stderr, "x11_probe: %s\n",
                     focused ? "the pointer is grabbed by another client" : "no focus elsewhere");
        return 1;
    }
    usleep(static_cast<useconds_t>(std::atof(seconds) * 1e6));
    XUngrabPointer(display, CurrentTime);
    XDestroyWindow(display, window);
    return 0;
}

// Takes the keyboard as soon as no other client holds it (within 5 s), then holds it for
// `seconds`.
int hold_keyboard(Display* display, const char* seconds) {
    bool grabbed = false;
    for (int tries = 0; tries < 100 && !grabbed; ++tries) {
        grabbed = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                                GrabModeAsync, CurrentTime) == GrabSuccess;
        XSync(display, False);
        usleep(grabbed ? 0 : 50'000);
    }
    if (!grabbed) {
        std::fprintf(stderr, "x11_probe: the keyboard stayed grabbed by another client\n");
        return 1;
    }
    usleep(static_cast<useconds_t>(std::atof(seconds) * 1e6));
    XUngrabKeyboard(display, CurrentTime);
    return 0;
}

// Until ended; 1 at once if another window manager runs.
int stand_in_window_manager(Display* display, bool map) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(display, False);
    const Window check = XCreateSimpleWindow(display, root, -1, -1, 1, 1, 0, 0, 0);
    const Atom check_atom = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const Atom supported[] = {XInternAtom(display, "_NET_WM_STATE", False),
                              XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False)};
    for (const Window window : {root, check}) {
        XChangeProperty(display, window, check_atom, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&check), 1);
    }
    XChangeProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(supported), 2);
    XSync(display, False);
    std::puts("ready");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (map && event.type == MapRequest) {
            // A window manager keeps the state property to what it did, which is nothing.
            XDeleteProperty(display, event.xmaprequest.window, supported[0]);
            XMapWindow(display, event.xmaprequest.window);
            XSync(display, False);
            XSetInputFocus(display, event.xmaprequest.window, RevertToPointerRoot, CurrentTime);
            XFlush(display);
        }
    }
}

int refuse_second_window_manager(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess) {
        std::fprintf(stderr, "x11_probe: another window manager runs\n");
        std::exit(1);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x11_probe: cannot open the display\n");
        return 2;
    }
    int status = 2;
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
        status = close_windows(display, argv[2]);
    } else if (argc == 3 && std::strcmp(argv[1], "wm-close") == 0) {
        status = ask_window_manager_to_close(display, argv[2]);
    } else if (argc == 3 && std::strcmp(argv[1], "kill") == 0) {
        status = kill_clients(display, argv[2]);
    } else if (argc == 2 && std::strcmp(argv[1], "snapshot") == 0) {
        status = snapshot(display, nullptr);
    } else if (argc == 6 && std::strcmp(argv[1], "snapshot") == 0) {
        status = snapshot(display, argv + 2);
    } else if (argc == 4 && std::strcmp(argv[1], "window") == 0) {
        status = show_window(display, argv + 2);
    } else if (argc == 3 && std::strcmp(argv[1], "elsewhere") == 0) {
        status = take_focus_elsewhere(display, argv[2]);
    } else if (argc == 3 && std::strcmp(argv[1], "hold-keyboard") == 0) {
        status = hold_keyboard(display, argv[2]);
    } else if (argc == 6 && std::strcmp(argv[1], "white") == 0) {
        status = count_white(display, argv + 2);
    } else if (argc == 3 && std::strcmp(argv[1], "stand-in-wm") == 0) {
        XSetErrorHandler(refuse_second_window_manager);
        status = stand_in_window_manager(display, std::strcmp(argv[2], "map") == 0);
    } else {
        std::fprintf(stderr,
                     "usage: x11_probe close|wm-close|kill NAME | x11_probe snapshot [X Y W H] | "
                     "x11_probe window W H | "
                     "x11_probe elsewhere|hold-keyboard SECONDS | x11_probe white X Y W H | "
                     "x11_probe stand-in-wm ignore|map\n");
    }
    XCloseDisplay(display);
    return status;
}
