/* The keyboard driver: the page passes on each key pressed or released while it has the
   focus, by its KeyboardEvent.code, which is turned here into the library's scancode. */
#include <emscripten/emscripten.h>
#include <stdio.h>
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

/* The code of the key pressed or released, written there by the page (UTF-8). */
static char key_code[32];

/* The keys the program takes besides letters and digits. */
static const struct {
    const char* code;
    int scancode;
} named[] = {{"Escape", KEY_ESC},     {"Enter", KEY_ENTER},      {"Space", KEY_SPACE},
             {"ArrowLeft", KEY_LEFT}, {"ArrowRight", KEY_RIGHT}, {"ArrowUp", KEY_UP},
             {"ArrowDown", KEY_DOWN}};

/* The library's scancode of a key the program takes, or 0. */
static int scancode_of(const char* code) {
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

/* Called from program.js, between frames: the codes of every key the program takes, each
   followed by a space, which the page keeps from the browser and passes on; where a key's code
   is written; and that key's press or release. */
EMSCRIPTEN_KEEPALIVE const char* web_keys_taken(void) {
    static char list[512];
    size_t i;
    if (list[0] != '\0')
        return list;
    for (i = 0; i < 26; i++)
        sprintf(list + strlen(list), "Key%c ", (char)('A' + i));
    for (i = 0; i < 10; i++)
        sprintf(list + strlen(list), "Digit%c ", (char)('0' + i));
    for (i = 0; i < sizeof named / sizeof named[0]; i++)
        sprintf(list + strlen(list), "%s ", named[i].code);
    return list;
}

EMSCRIPTEN_KEEPALIVE char* web_key_code(void) {
    return key_code;
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
