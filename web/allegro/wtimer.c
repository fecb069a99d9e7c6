/* The timer driver: nothing in the program runs on timers, so none ever fire; only rest()
   waits, by giving the thread back for that long (program.js). */
#include <emscripten/emscripten.h>

#include "web.h"

EM_ASYNC_JS(void, page_sleep, (unsigned int milliseconds),
            { await Module.pageSleep(milliseconds); });

static int web_timer_init(void) {
    return 0;
}

static void web_timer_exit(void) {}

static void web_rest(unsigned int milliseconds, void (*callback)(void)) {
    if (callback == NULL) {
        page_sleep(milliseconds);
        return;
    }
    while (milliseconds-- > 0) {
        callback();
        page_sleep(1);
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
