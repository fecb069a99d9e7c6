// The browser: the program runs on the page's own thread, which shows its frames and delivers
// its input, so once per display frame it hands that thread back to the page (page.js decides
// when, and resumes it once the browser has painted).
#include <emscripten/emscripten.h>

#include "desktop.h"

namespace {

EM_JS(int, page_wants_its_turn, (), { return Module.pageWantsItsTurn(); });

EM_ASYNC_JS(void, give_page_its_turn, (), { await Module.pageTurn(); });

}  // namespace

void keep_up_with_desktop() {
    if (page_wants_its_turn()) {
        give_page_its_turn();
    }
}
