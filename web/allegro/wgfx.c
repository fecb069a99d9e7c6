/* The graphics driver: the screen is a 32-bit bitmap in memory of the page's size, its pixels
   laid out as a canvas wants them (red, green, blue, alpha). Each copy onto it finishes a
   frame. The page asks for the last finished frame at each of its animation frames, and is
   given it between two frames of the program (program.js). */
#include <emscripten/emscripten.h>
#include <stdint.h>
#include <stdlib.h>

#include "web.h"

#define WIDTH WEB_SCREEN_W
#define HEIGHT WEB_SCREEN_H

/* The frame the page was given last: the screen's pixels, made opaque. */
static uint32_t shown[WIDTH * HEIGHT];
static int fresh;
static int frames_made;

/* The screen's own copy of the library's 32-bit vtable, with the copy onto the screen noted:
   the library's is shared by every 32-bit bitmap, memory ones included, so changed in place
   it would count their copies too, and a second mode set would make the copy call itself. */
static GFX_VTABLE screen_vtable;
static void (*library_blit_from_memory)(BITMAP*, BITMAP*, int, int, int, int, int, int);

static void blit_and_note_frame(BITMAP* source, BITMAP* dest, int source_x, int source_y,
                                int dest_x, int dest_y, int width, int height) {
    library_blit_from_memory(source, dest, source_x, source_y, dest_x, dest_y, width, height);
    fresh = 1;
    frames_made++;
}

static BITMAP* web_gfx_init(int w, int h, int v_w, int v_h, int color_depth) {
    BITMAP* bitmap;
    void* memory;

    if (w != WIDTH || h != HEIGHT || (v_w != 0 && v_w != w) || (v_h != 0 && v_h != h) ||
        color_depth != 32) {
        ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE,
                 get_config_text("The page shows 800x600 at 32 bits only"));
        return NULL;
    }
    _rgb_r_shift_32 = 0;
    _rgb_g_shift_32 = 8;
    _rgb_b_shift_32 = 16;
    _rgb_a_shift_32 = 24;
    memory = calloc(WIDTH * HEIGHT, 4);
    if (memory == NULL)
        return NULL;
    bitmap = _make_bitmap(WIDTH, HEIGHT, (uintptr_t)memory, &gfx_web, 32, WIDTH * 4);
    if (bitmap == NULL) {
        free(memory);
        return NULL;
    }
    screen_vtable = *bitmap->vtable;
    library_blit_from_memory = screen_vtable.blit_from_memory;
    screen_vtable.blit_from_memory = blit_and_note_frame;
    bitmap->vtable = &screen_vtable;
    return bitmap;
}

static void web_gfx_exit(BITMAP* bitmap) {
    free((void*)gfx_web.vid_phys_base);
    gfx_web.vid_phys_base = 0;
    (void)bitmap;
}

GFX_DRIVER gfx_web = {
    .id = GFX_WEB,
    .name = empty_string,
    .desc = empty_string,
    .ascii_name = "Web page canvas",
    .init = web_gfx_init,
    .exit = web_gfx_exit,
    .w = WIDTH,
    .h = HEIGHT,
    .linear = TRUE,
    .vid_mem = WIDTH * HEIGHT * 4,
    /* Not windowed: the program asks for a full-screen mode, and the page is its screen. */
    .windowed = FALSE,
};

/* Called from program.js, between frames. */

/* The frame finished last, WIDTH x HEIGHT pixels of red, green, blue and alpha bytes, or NULL
   when there is none since the page last took one. The screen's pixels carry no alpha, so
   they are made opaque here, once per shown frame rather than once per frame made. */
EMSCRIPTEN_KEEPALIVE const uint32_t* web_take_frame(void) {
    const uint32_t* pixel = (const uint32_t*)screen->line[0];
    int i;

    if (!fresh)
        return NULL;
    fresh = 0;
    for (i = 0; i < WIDTH * HEIGHT; i++)
        shown[i] = pixel[i] | 0xFF000000u;
    return shown;
}

EMSCRIPTEN_KEEPALIVE int web_frames_made(void) {
    return frames_made;
}
