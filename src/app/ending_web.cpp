// In a browser page the program is asked to end only through the page's Close button, which
// the library hands to close_hook. There are no signals to take over and no display to lose,
// so nothing here has work to do.
#include <allegro.h>

#include <cstdlib>

#include "app/ending.h"

void hold_ending_signals() {}

void install_ending_handlers() {}

int ending_signal() {
    return 0;
}

void end_by_signal(int signal_number) {
    allegro_exit();
    std::_Exit(128 + signal_number);
}
