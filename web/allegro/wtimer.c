/* The timer driver: nothing in the program runs on timers, so none ever fire; only rest()
   waits, by sleeping the program's thread. */
#include <unistd.h>

#include "web.h"

static int web_timer_init(void) {
    return 0;
}

static void web_timer_exit(void) {}

static void web_rest(unsigned int milliseconds, void (*callback)(void)) {
    if (callback == NULL) {
        usleep(milliseconds * 1000u);
        return;
    }
    while (milliseconds-- > 0) {
        callback();
        usleep(1000);
    }
}

TIMER_DRIVER timer_web = {
    .id = TIMER_WEB,
    .name = empty_string,
    .desc = empty_string,
    .ascii_name = "Web page timer",
    .init = web_timer_init,
    .exit = web_timer_exit,
    .rest = web_rest,
};
