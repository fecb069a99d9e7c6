// The browser: the program's input and the page's turns come as messages, which are
// taken only while the program's thread is free, in a worker or on the page's own thread; so
// at a frame it hands the thread back, when program.js says its turn has lasted long enough,
// and is resumed after.
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
