// Windows and the browser: Windows asks a program to end through its window (WM_CLOSE, from the
// close button, the task bar or taskkill), and a page through its Close button, both of which
// the library hands to close_hook. There are no POSIX signals to take over, so nothing here has
// work to do.
#include <allegro.h>

#include <cstdlib>

#include "ending.h"

void hold_ending_signals() {}

void install_ending_handlers() {}

int ending_signal() {
    return 0;
}

void end_by_signal(int signal_number) {
    allegro_exit();
    std::_Exit(128 + signal_number);
}

void end_by_signal_at_once(int signal_number) {
    std::_Exit(128 + signal_number);
}
