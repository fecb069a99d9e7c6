#include <allegro.h>

#include <chrono>

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

namespace {

using Clock = std::chrono::steady_clock;

// Sleeps until the next frame is due. `due` carries the schedule from frame to frame, so the
// rate holds however long each frame took and however the sleep rounds; a frame that comes
// late (after a pause, say) starts the schedule again from now instead of a burst of frames
// making up for it.
void pace_frame(Clock::time_point& due, Clock::duration period) {
    due += period;
    const Clock::time_point now = Clock::now();
    if (due <= now) {
        due = now;
        return;
    }
    // The library's sleep counts whole milliseconds: rounded up, so it never wakes early.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now);
    rest(static_cast<unsigned>(wait.count()));
}

}  // namespace

void run_frame_loop(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer, int fps) {
    // Without a rate, no pacing: frames follow each other as fast as they can be made.
    const Clock::duration period =
        fps > 0 ? std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / fps
                : Clock::duration::zero();
    Clock::time_point due = Clock::now();
    while (!quit_requested && !key[KEY_ESC] && ending_signal() == 0) {
        advance_swarm(comets, active, back_buffer);
        wait_while_paused();
        present_frame(back_buffer);
        if (fps > 0) {
            pace_frame(due, period);
        }
    }
}
