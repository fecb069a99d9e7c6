// Windows wakes a sleeping thread at its timer's tick, 15.6 ms unless a program asks for a
// finer one, so --fps 60 would give 32 frames a second. A 1 ms tick is asked for while frames
// are paced, as games do, and given back after: it costs the whole machine some power.
#include <windows.h>
// After windows.h, whose types it uses.
#include <timeapi.h>

#include "pacing.h"

namespace {

bool fine_timer = false;

}  // namespace

void begin_pacing() {
    fine_timer = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void end_pacing() {
    if (fine_timer) {
        timeEndPeriod(1);
        fine_timer = false;
    }
}

void rest_between_frames(unsigned milliseconds) {
    Sleep(milliseconds);
}
