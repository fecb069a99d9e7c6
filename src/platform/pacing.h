// Resting between paced frames. posix/pacing.cpp sleeps, cut short by a signal; Windows first asks
// for a 1 ms timer, as its sleeps otherwise end only at the system tick (about 15.6 ms); in a
// browser the rest gives the thread back to the page, by a direct call, as the page's waits
// may only be reached (web/pacing.cpp).
#pragma once

// Call once before the first paced frame, and end_pacing once after the last.
void begin_pacing();
void end_pacing();

// Sleeps for about `milliseconds`, never less, unless a signal to end comes meanwhile.
void rest_between_frames(unsigned milliseconds);
