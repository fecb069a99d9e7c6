// The command line. With no arguments the program runs as it always has: full screen, with
// frames as fast as they come.
#pragma once

#include <string>

struct Options {
    bool help = false;
    bool version = false;
    bool window = false;  // an 800x600 window of the desktop instead of full screen
    int fps = 0;          // at most this many frames a second; 0 for no pacing
    std::string problem;  // what is wrong with the command line; empty when nothing is
};

constexpr int MAX_FPS = 1000;

// Reads the arguments after the program's name. The first thing wrong ends the reading.
Options parse_options(int argc, const char* const argv[]);

// What --help and --version print, and what a usage error prints on standard error.
std::string usage_text();
std::string version_text();
std::string usage_error_text(const std::string& problem);
