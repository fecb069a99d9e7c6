#include <allegro.h>

#include "app/ending.h"
#include "app/shell.h"

void advance_swarm(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer) {
    for (std::size_t slot = 0; slot < comets.size(); ++slot) {
        if (active[slot]) {
            update_comet(comets[slot]);
            draw_comet(comets[slot], back_buffer);
        }
    }
}

void wait_while_paused() {
    // A signal is not a key the user pressed: whoever sent it may never release P.
    while (key[KEY_P] && ending_signal() == 0) {
    }
}

void present_frame(BITMAP* back_buffer) {
    // The pointer is drawn into the buffer only for the copy, so the next frame's
    // drawing never has to work around it.
    show_mouse(back_buffer);
    blit(back_buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    show_mouse(nullptr);
    clear_bitmap(back_buffer);
}

void run_frame_loop(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer) {
    // No frame pacing: frames follow each other as fast as they can be made.
    while (!quit_requested && !key[KEY_ESC] && ending_signal() == 0) {
        advance_swarm(comets, active, back_buffer);
        wait_while_paused();
        present_frame(back_buffer);
    }
}
