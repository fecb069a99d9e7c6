// Ending on a request from outside the program: SIGINT, SIGTERM and SIGHUP from the terminal,
// `kill` or the session. posix/ending.cpp takes them over; Windows and the browser, which ask
// through the window, share none/ending.cpp, which has nothing to do.
#pragma once

// Notes which of SIGINT, SIGTERM and SIGHUP are ignored, and holds them back until
// install_ending_handlers. Call before allegro_init: while it starts, the library's own
// handlers are in place, and they abort.
void hold_ending_signals();

// Takes SIGINT, SIGTERM and SIGHUP over from the library (one ignored from the start, as under
// nohup or in a script's background job, stays ignored), then lets through any that was held
// back. Call right after allegro_init, which installs handlers of its own.
void install_ending_handlers();

// The signal that asked the program to end, or 0 while none has. One atomic read, cheap
// enough for every pass of the frame loop.
int ending_signal();

// Shuts the library down on this thread, so the display mode is given back, then ends the
// process by `signal_number` with its default action, so the parent sees it ended by that
// signal.
[[noreturn]] void end_by_signal(int signal_number);

// Ends the process by `signal_number` at once, without shutting the library down: for when the
// library is stuck holding its own lock, before it has changed the display mode.
[[noreturn]] void end_by_signal_at_once(int signal_number);
