/* The timer driver: nothing in the program runs on timers, so none ever fire. The program
   rests between paced frames by a direct call of its own (src/platform/web/pacing.cpp), which
   gives the thread back to the page; the library's rest(), which nothing calls, only waits
   here, holding the thread: reached through this driver's pointer, a wait that gave the
   thread back could not be unwound soundly. */
#include <emscripten/emscripten.h>

#include "web.h"

static int web_timer_init(void) {
    return 0;
}

static void web_timer_exit(void) {}

static void web_rest(unsigned int milliseconds, void (*callback)(void)) {
    const double end = emscripten_get_now() + milliseconds;

    while (emscripten_get_now() < end) {
        if (callback != NULL)
            callback();
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
