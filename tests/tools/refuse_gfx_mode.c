/* Preloaded in front of the library: every graphics mode is refused, as on a display that
   offers none of the depths the program asks for. */
int set_gfx_mode(int card, int width, int height, int virtual_width, int virtual_height) {
    (void)card;
    (void)width;
    (void)height;
    (void)virtual_width;
    (void)virtual_height;
    return -1;
}
