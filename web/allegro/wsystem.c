/* The system driver, and the lists of drivers the library chooses from. */
#include <stdio.h>

#include "web.h"

void (*_web_close_hook)(void) = NULL;

static int web_init(void) {
    /* No signals or console to save: the page is the program's whole world. */
    return 0;
}

static void web_exit(void) {}

static void web_get_executable_name(char* output, int size) {
    do_uconvert("comets", U_ASCII, output, U_CURRENT, size);
}

static int web_set_close_button_callback(void (*proc)(void)) {
    _web_close_hook = proc;
    return 0;
}

static void web_message(AL_CONST char* message) {
    fputs(message, stderr);
}

static int web_desktop_color_depth(void) {
    return 32;
}

static int web_get_desktop_resolution(int* width, int* height) {
    *width = WEB_SCREEN_W;
    *height = WEB_SCREEN_H;
    return 0;
}

/* What is left out is the library's own default, or not there on the web. */
SYSTEM_DRIVER system_web = {
    .id = SYSTEM_WEB,
    .name = empty_string,
    .desc = empty_string,
    .ascii_name = "Web page",
    .init = web_init,
    .exit = web_exit,
    .get_executable_name = web_get_executable_name,
    .set_close_button_callback = web_set_close_button_callback,
    .message = web_message,
    .desktop_color_depth = web_desktop_color_depth,
    .get_desktop_resolution = web_get_desktop_resolution,
};

_DRIVER_INFO _system_driver_list[] = {
    {SYSTEM_WEB, &system_web, TRUE}, {SYSTEM_NONE, &system_none, FALSE}, {0, NULL, 0}};

BEGIN_GFX_DRIVER_LIST{GFX_WEB, &gfx_web, TRUE},
    END_GFX_DRIVER_LIST

        _DRIVER_INFO _keyboard_driver_list[] = {{KEYBOARD_WEB, &keyboard_web, TRUE}, {0, NULL, 0}};

_DRIVER_INFO _mouse_driver_list[] = {{MOUSE_WEB, &mousedrv_web, TRUE}, {0, NULL, 0}};

_DRIVER_INFO _timer_driver_list[] = {{TIMER_WEB, &timer_web, TRUE}, {0, NULL, 0}};
