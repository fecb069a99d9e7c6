#include <allegro.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>

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

// Sleeps until the next frame is due, or an Esc tap or a signal ends the wait early. `due`
// carries the schedule from frame to frame, so the rate holds however long each frame took and
// however the sleep rounds; a frame that comes late (after a pause, say) starts the schedule
// again from now instead of a burst of frames making up for it.
void pace_frame(Clock::time_point& due, Clock::duration period, bool watch_esc) {
    due += period;
    if (due <= Clock::now()) {
        due = Clock::now();
        return;
    }
    // Watching for Esc, in short sleeps, to see a tap soon; otherwise in one, which only a
    // signal cuts short: a screen saver sleeps most of its time. Whole milliseconds, rounded
    // up, so it never wakes early.
    const Clock::duration slice = watch_esc ? std::chrono::milliseconds(10) : period;
    for (Clock::time_point now = Clock::now(); now < due && !esc_tapped && ending_signal() == 0;
         now = Clock::now()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(std::min(slice, due - now));
        rest_between_frames(static_cast<unsigned>(wait.count()));
    }
}

// The mouse's travel that counts as a movement that ends a full-screen saver: less is a hand
// resting on the mouse, or the table shaking.
constexpr int MOVEMENT = 8;
int travel = 0;

// What came before the saver started, where the pointer was among it, is not input to it.
void start_watching_input() {
    int dx = 0, dy = 0;
    get_mouse_mickeys(&dx, &dy);
    travel = 0;
    clear_keybuf();
}

bool input_came() {
    int dx = 0, dy = 0;
    get_mouse_mickeys(&dx, &dy);
    travel += std::abs(dx) + std::abs(dy);
    return keypressed() || mouse_b != 0 || travel > MOVEMENT;
}

bool ended_by_input(LoopEnd end) {
    switch (end) {
        case LoopEnd::esc:
            return key[KEY_ESC];
        case LoopEnd::any_input:
            return input_came();
        case LoopEnd::outside_only:
            break;
    }
    return false;
}

}  // namespace

void note_esc_tap(int scancode) {
    if (scancode == KEY_ESC) {
        esc_tapped = true;
    }
}

void run_frame_loop(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer, int fps,
                    LoopEnd end) {
    // Without a rate, no pacing: frames follow each other as fast as they can be made, and Esc
    // counts only while it is down at the top of a pass.
    const bool paced = fps > 0;
    const bool watch_esc = end == LoopEnd::esc;
    const Clock::duration period =
        paced ? std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / fps
              : Clock::duration::zero();
    esc_tapped = false;  // taps from before this loop, or from an unpaced one, are not seen
    if (paced) {
        begin_pacing();
    }
    if (end == LoopEnd::any_input) {
        start_watching_input();
    }
    Clock::time_point due = Clock::now();
    while (!quit_requested && !ended_by_input(end) && !(paced && esc_tapped) &&
           ending_signal() == 0) {
        keep_up_with_desktop();
        advance_swarm(comets, active, back_buffer);
        const bool paused = key[KEY_P];
        wait_while_paused();
        if (paused) {
            esc_tapped = false;  // a tap during the pause is not seen, as without pacing
        }
        present_frame(back_buffer);
        if (paced) {
            pace_frame(due, period, watch_esc);
        }
    }
    if (paced) {
        end_pacing();
    }
}
