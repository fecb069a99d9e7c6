#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/shell.h"
#include "platform/desktop.h"
#include "platform/ending.h"

std::atomic<bool> quit_requested{false};

void close_hook() {
    quit_requested = true;
}

bool start_library(bool input) {
    hold_ending_signals();
    prepare_desktop(input);
    if (allegro_init() != 0) {
        // Without a system driver every later call would crash, so stop here.
        std::fprintf(stderr, "comets: cannot start the Allegro library: %s\n",
                     allegro_error[0] != '\0' ? allegro_error
                                              : "no system driver (is an X display available?)");
        return false;
    }
    install_ending_handlers();
    watch_display();
    if (input) {
        install_timer();
        install_mouse();
        // Before the keyboard starts, so the library's input thread never sees it change.
        keyboard_lowlevel_callback = note_esc_tap;
        install_keyboard();
    }
    set_close_button_callback(close_hook);
    return true;
}

bool set_graphics_mode(GfxModeSetter try_mode, bool in_window) {
    const int card = in_window ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    for (const int depth : DEPTH_CANDIDATES) {
        set_color_depth(depth);
        if (try_mode(card, 800, 600, 0, 0) == 0) {
            std::printf("GFX mode set with depth %i bit", depth);
            std::fflush(stdout);
            return true;
        }
    }
    std::printf("Unable to set GFX mode");
    std::fflush(stdout);
    return false;
}

BITMAP* create_back_buffer() {
    BITMAP* back_buffer = create_bitmap(SCREEN_W, SCREEN_H);
    if (back_buffer == nullptr) {
        std::fprintf(stderr, "comets: cannot allocate the %dx%d frame buffer\n", SCREEN_W,
                     SCREEN_H);
        return nullptr;
    }
    // A new bitmap holds whatever memory it was given; the first frame starts on black.
    clear_bitmap(back_buffer);
    return back_buffer;
}

bool spawn_swarm(CometTable& comets, ActiveTable& active) {
    try {
        for (int slot = 0; slot < COMET_COUNT; ++slot) {
            active[static_cast<std::size_t>(slot)] = true;
            comets[static_cast<std::size_t>(slot)] = spawn_comet();
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "comets: out of memory while spawning the swarm\n");
        return false;
    }
    return true;
}
