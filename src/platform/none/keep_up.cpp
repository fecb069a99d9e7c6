// Windows: the library's window needs nothing from the program between frames.
#include "desktop.h"

void keep_up_with_desktop() {}
