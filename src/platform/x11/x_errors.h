// Errors the X server reports for a request: counted, and never the end of the program, as
// they would be under Xlib's default handler.
#pragma once

// While one stands, errors are expected (a crashed window manager's window that is gone, a
// request the server refuses) and only counted, so that what was asked can be judged by
// whether any came; otherwise the first one is reported on standard error, as a fault to know
// of, and the program goes on. Errors come back asynchronously: XSync first to see them all.
class XErrorTrap {
public:
    XErrorTrap();
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Whether the server reported an error since the trap was set or last reset.
    bool caught() const;
    void reset();

private:
    unsigned long errors_before_;
};

// From now on every error is expected: for the library's shutdown, which gives back display
// modes that a compositor may refuse to have changed.
void expect_x_errors_from_now();
