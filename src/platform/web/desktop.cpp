// The browser: the page scales the picture and passes on the keys, so there is nothing to
// watch, hand over or fit. But the program runs on the page's own thread, which shows its
// frames and delivers its input, so once per display frame it hands that thread back to the
// page (page.js decides when, and resumes it once the browser has painted).
#include <emscripten/emscripten.h>

#include "platform/desktop.h"

namespace {

EM_JS(int, page_wants_its_turn, (), { return Module.pageWantsItsTurn(); });

EM_ASYNC_JS(void, give_page_its_turn, (), { await Module.pageTurn(); });

}  // namespace

void watch_display() {}

void begin_mode_watch(bool) {}

void end_mode_watch() {}

void hand_screen_to_window_manager() {}

void follow_window_manager() {
    if (page_wants_its_turn()) {
        give_page_its_turn();
    }
}
