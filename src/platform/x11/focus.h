// Letting go when the window loses the focus.
#pragma once

// From now on, whenever the library's window loses the focus (Alt+Tab, a click on another
// window, an overview), the pointer is let go, so that other windows get it; the library
// itself releases the keys held then. When the focus comes back, the pointer is confined to the
// picture again.
void let_go_without_focus();
