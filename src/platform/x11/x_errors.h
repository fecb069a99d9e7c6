// Errors the X server reports for a request: counted, and never the end of the program, as
// they would be under Xlib's default handler.
#pragma once

// How many errors the server has reported so far. Compared before and after some requests
// (and an XSync), it tells whether they failed.
unsigned long x_errors_seen();

// While one stands, errors are expected (a crashed window manager's window that is gone, say)
// and only counted. Otherwise the first one is reported on standard error, as a fault to know
// of, and the program goes on.
class ExpectedXErrors {
public:
    ExpectedXErrors();
    ~ExpectedXErrors();
    ExpectedXErrors(const ExpectedXErrors&) = delete;
    ExpectedXErrors& operator=(const ExpectedXErrors&) = delete;
};

// From now on every error is expected: for the library's shutdown, which gives back display
// modes that a compositor may refuse to have changed.
void expect_x_errors_from_now();
