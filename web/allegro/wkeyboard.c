/* The keyboard driver: the page passes on each key pressed or released while it has the
   focus, already turned into the library's scancodes. */
#include <emscripten/emscripten.h>

#include "web.h"

static int web_keyboard_init(void) {
    return 0;
}

static void web_keyboard_exit(void) {}

KEYBOARD_DRIVER keyboard_web = {
    .id = KEYBOARD_WEB,
    .name = empty_string,
    .desc = empty_string,
    .ascii_name = "Web page keyboard",
    .autorepeat = FALSE, /* the page passes on no repeats */
    .init = web_keyboard_init,
    .exit = web_keyboard_exit,
};

/* Called by the page, while the program has given it its turn. */
EMSCRIPTEN_KEEPALIVE void web_key(int scancode, int pressed, int ascii) {
    if (scancode <= 0 || scancode >= KEY_MAX)
        return;
    if (pressed)
        _handle_key_press(ascii, scancode);
    else
        _handle_key_release(scancode);
}

/* The page's Close button: the same request as a window's close button. */
EMSCRIPTEN_KEEPALIVE void web_close(void) {
    if (_web_close_hook != NULL)
        _web_close_hook();
}
