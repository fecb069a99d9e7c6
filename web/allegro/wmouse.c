/* The mouse driver: the page passes on where the pointer is over the picture, already mapped
   to its pixels, and which buttons are held (1 left, 2 right). */
#include <emscripten/emscripten.h>

#include "web.h"

static int web_mouse_init(void) {
    return 2; /* buttons */
}

static void web_mouse_exit(void) {}

static void web_mouse_position(int x, int y) {
    _mouse_x = x;
    _mouse_y = y;
}

static void web_mouse_range(int x1, int y1, int x2, int y2) {
    (void)x1, (void)y1, (void)x2, (void)y2;
}

MOUSE_DRIVER mousedrv_web = {
    .id = MOUSE_WEB,
    .name = empty_string,
    .desc = empty_string,
    .ascii_name = "Web page pointer",
    .init = web_mouse_init,
    .exit = web_mouse_exit,
    .position = web_mouse_position,
    .set_range = web_mouse_range,
};

/* Called from program.js, between frames. */
EMSCRIPTEN_KEEPALIVE void web_mouse(int x, int y, int buttons) {
    _mouse_x = MID(0, x, 799);
    _mouse_y = MID(0, y, 599);
    _mouse_b = buttons;
    _handle_mouse_input();
}

/* Whether the library draws its pointer arrow: not where the visitor has no mouse (a touch
   screen), as a finger shows where it is itself. Between frames the pointer is off screen,
   so its sprite can be swapped: a sprite of the mask colour alone draws nothing. */
EMSCRIPTEN_KEEPALIVE void web_show_pointer(int shown) {
    static BITMAP* nothing;

    if (shown) {
        set_mouse_sprite(NULL);
        return;
    }
    if (nothing == NULL) {
        nothing = create_bitmap(1, 1);
        if (nothing == NULL)
            return;
        clear_to_color(nothing, bitmap_mask_color(nothing));
    }
    set_mouse_sprite(nothing);
}
