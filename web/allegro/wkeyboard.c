/* The keyboard driver: the page passes on each key pressed or released while it has the
   focus, by its KeyboardEvent.code, which is turned here into the library's scancode. */
#include <emscripten/emscripten.h>
#include <string.h>

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

/* The code of the key the page asks about, written there by the page (UTF-8). */
static char key_code[32];

/* The library's scancode of a key the program takes (letters, digits, Esc, Enter, Space and
   the arrows), or 0. */
static int scancode_of(const char *code) {
    static const struct {
        const char *code;
        int scancode;
    } named[] = {{"Escape", KEY_ESC},      {"Enter", KEY_ENTER},     {"Space", KEY_SPACE},
                 {"ArrowLeft", KEY_LEFT},  {"ArrowRight", KEY_RIGHT}, {"ArrowUp", KEY_UP},
                 {"ArrowDown", KEY_DOWN}};
    size_t i;
    if (strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0')
        return KEY_A + (code[3] - 'A');
    if (strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && code[6] == '\0')
        return KEY_0 + (code[5] - '0');
    for (i = 0; i < sizeof named / sizeof named[0]; i++) {
        if (strcmp(code, named[i].code) == 0)
            return named[i].scancode;
    }
    return 0;
}

/* Called by the page, while the program has given it its turn: where it writes a key's code,
   whether the program takes that key, and its press or release. */
EMSCRIPTEN_KEEPALIVE char *web_key_code(void) {
    return key_code;
}

EMSCRIPTEN_KEEPALIVE int web_key_taken(void) {
    return scancode_of(key_code) != 0;
}

EMSCRIPTEN_KEEPALIVE void web_key(int pressed, int ascii) {
    const int scancode = scancode_of(key_code);
    if (scancode == 0)
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
