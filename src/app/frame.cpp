#include <allegro.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "app/shell.h"
#include "platform/desktop.h"
#include "platform/ending.h"
#include "platform/pacing.h"

void advance_swarm(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer) {
    for (std::size_t slot = 0; slot < comets.size(); ++slot) {
        if (active[slot]) {
            update_comet(comets[slot]);
            draw_comet(comets[slot], back_buffer);
        }
    }
}

void wait_while_paused() {
    // A signal is not a key the user pressed: whoever sent it may never release P. The desktop
    // is kept up with meanwhile: in a browser, the release of P comes only when the page has
    // its thread back.
    while (key[KEY_P] && ending_signal() == 0) {
        keep_up_with_desktop();
    }
}

void present_frame(BITMAP* back_buffer) {
    // The pointer is drawn into the buffer only for the copy, so the next frame's
    // drawing never has to work around it.
    begin_frame_copy();
    show_mouse(back_buffer);
    blit(back_buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    show_mouse(nullptr);
    end_frame_copy();
    clear_bitmap(back_buffer);
}

namespace {

using Clock = std::chrono::steady_clock;

// Whether Esc went down since the loop last looked, even if it went up again meanwhile: with
// frames paced, a quick tap would otherwise often fall wholly inside the sleep between two
// passes and never be seen. Set from the library's input thread.
std::atomic<bool> esc_tapped{false};

// Sleeps until the next frame is due, or an Esc tap ends the wait early. `due` carries the
// schedule from frame to frame, so the rate holds however long each frame took and however
// the sleep rounds; a frame that comes late (after a pause, say) starts the schedule again
// from now instead of a burst of frames making up for it.
void pace_frame(Clock::time_point& due, Clock::duration period) {
    due += period;
    if (due <= Clock::now()) {
        due = Clock::now();
        return;
    }
    // In short sleeps, to see a tap soon, of whole milliseconds rounded up, so it never wakes
    // early.
    constexpr auto SLICE = std::chrono::milliseconds(10);
    for (Clock::time_point now = Clock::now(); now < due && !esc_tapped; now = Clock::now()) {
        const auto wait = std::min<std::chrono::milliseconds>(
            SLICE, std::chrono::ceil<std::chrono::milliseconds>(due - now));
        rest_between_frames(static_cast<unsigned>(wait.count()));
    }
}

}  // namespace

void note_esc_tap(int scancode) {
    if (scancode == KEY_ESC) {
        esc_tapped = true;
    }
}

void run_frame_loop(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer, int fps) {
    // Without a rate, no pacing: frames follow each other as fast as they can be made, and Esc
    // counts only while it is down at the top of a pass.
    const bool paced = fps > 0;
    const Clock::duration period =
        paced ? std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / fps
              : Clock::duration::zero();
    esc_tapped = false;  // taps from before this loop, or from an unpaced one, are not seen
    if (paced) {
        begin_pacing();
    }
    Clock::time_point due = Clock::now();
    while (!quit_requested && !key[KEY_ESC] && !(paced && esc_tapped) && ending_signal() == 0) {
        keep_up_with_desktop();
        advance_swarm(comets, active, back_buffer);
        const bool paused = key[KEY_P];
        wait_while_paused();
        if (paused) {
            esc_tapped = false;  // a tap during the pause is not seen, as without pacing
        }
        present_frame(back_buffer);
        if (paced) {
            pace_frame(due, period);
        }
    }
    if (paced) {
        end_pacing();
    }
}
