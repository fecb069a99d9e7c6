// The command line. With no arguments the program runs as it always has: full screen, with
// frames as fast as they come. As a screen saver it takes the screen hacks' options, and, named
// *.scr, Windows' own.
#pragma once

#include <string>

// What a screen saver asks of the program.
enum class Saver {
    none,
    given_window,  // draw into a window it is given (--root, --window-id), without input
    full_screen,   // Windows' /s: full screen, ended by the first key, button or movement
    settings,      // Windows' /c: there are none to show
    preview,       // Windows' /p HWND: the settings dialog's preview box, which it leaves empty
};

struct Options {
    bool help = false;
    bool version = false;
    bool window = false;  // an 800x600 window of the desktop instead of full screen
    int fps = 0;          // at most this many frames a second; 0 for no pacing
    Saver saver = Saver::none;
    unsigned long window_id = 0;  // given_window: 0 for the screen saver's window or the root
    std::string problem;          // what is wrong with the command line; empty when nothing is
};

constexpr int MAX_FPS = 1000;

// A screen saver's frame rate unless --fps says otherwise. A saver runs for hours, and each
// frame is scaled to the whole monitor by the X server: at this rate it costs less than the
// cheapest of xscreensaver's classic modes (docs/performance.md). The swarm moves a step a
// frame, so it drifts slowly.
constexpr int SAVER_FPS = 10;

// Reads the arguments after the program's name. The first thing wrong ends the reading.
Options parse_options(int argc, const char* const argv[]);

// What --help and --version print, and what a usage error prints on standard error.
std::string usage_text();
std::string version_text();
std::string usage_error_text(const std::string& problem);
