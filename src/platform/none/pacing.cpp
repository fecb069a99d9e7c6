// Linux: the library's rest sleeps as asked; nothing to set up around it.
#include <allegro.h>

#include "pacing.h"

void begin_pacing() {}

void end_pacing() {}

void rest_between_frames(unsigned milliseconds) {
    rest(milliseconds);
}
