// Linux: a plain sleep, which a signal cuts short so that the program ends at once. The
// library's rest sleeps on through signals, and without its timer does not sleep at all.
#include <ctime>

#include "pacing.h"

void begin_pacing() {}

void end_pacing() {}

void rest_between_frames(unsigned milliseconds) {
    const timespec wait{static_cast<time_t>(milliseconds / 1000),
                        static_cast<long>(milliseconds % 1000) * 1000000L};
    nanosleep(&wait, nullptr);
}
