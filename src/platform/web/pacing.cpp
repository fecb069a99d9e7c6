// The browser: a rest gives the program's thread back to the page for that long (program.js),
// so that its messages are taken meanwhile. The wait is reached by direct calls only: the
// build instruments just the functions on such a path, and one reached through a pointer (the
// library's timer driver) could not be unwound soundly.
#include <emscripten/emscripten.h>

#include "pacing.h"

namespace {

EM_ASYNC_JS(void, page_sleep, (unsigned milliseconds), { await Module.pageSleep(milliseconds); });

}  // namespace

void begin_pacing() {}

void end_pacing() {}

void rest_between_frames(unsigned milliseconds) {
    page_sleep(milliseconds);
}
