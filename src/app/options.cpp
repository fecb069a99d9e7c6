#include "app/options.h"

#include <cstring>

#ifndef COMETS_VERSION
#error "COMETS_VERSION, the project's version, comes from the build"
#endif

namespace {

// A frame rate is a plain decimal number from 1 to MAX_FPS: no sign, no space, no unit.
bool read_fps(const char* text, int& fps) {
    if (*text == '\0' || std::strlen(text) > 4) {
        return false;
    }
    int value = 0;
    for (const char* digit = text; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') {
            return false;
        }
        value = value * 10 + (*digit - '0');
    }
    if (value < 1 || value > MAX_FPS) {
        return false;
    }
    fps = value;
    return true;
}

// An argument as a usage error shows it: quoted, with each control character (a newline, a
// terminal's escape) as '?', so that the error stays one line and the terminal shows what was
// typed rather than obeying it.
std::string quoted(std::string argument) {
    for (char& c : argument) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return "'" + argument + "'";
}

}  // namespace

Options parse_options(int argc, const char* const argv[]) {
    Options options;
    for (int i = 1; i < argc && options.problem.empty(); ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--window") {
            options.window = true;
        } else if (argument == "--fps" || argument.rfind("--fps=", 0) == 0) {
            const bool joined = argument != "--fps";
            if (!joined && i + 1 == argc) {
                options.problem = "option '--fps' needs a number of frames a second";
            } else {
                const char* value = joined ? argv[i] + 6 : argv[++i];
                if (!read_fps(value, options.fps)) {
                    options.problem = "invalid frame rate " + quoted(value) +
                                      ": give a whole number from 1 to 1000";
                }
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            options.problem = "unknown option " + quoted(argument);
        } else {
            options.problem = "unexpected argument " + quoted(argument);
        }
    }
    return options;
}

std::string usage_text() {
    return "Usage: comets [OPTION]...\n"
           "Herd a swarm of comets with the mouse, full screen at 800x600.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "      --window   run in an 800x600 window instead of full screen\n"
           "      --fps N    make at most N frames a second (1 to 1000); without it, as\n"
           "                 many as the machine allows\n"
           "\n"
           "Mouse and keys:\n"
           "  left button, held    comets farther than their reach steer towards the pointer\n"
           "  right button, held   comets nearer than their reach steer away from it\n"
           "  P, held              freezes the picture\n"
           "  Esc, close button    quits\n"
           "\n"
           "Exit status:\n"
           "  0     quit with Esc or the close button\n"
           "  1     could not start (no display, no graphics mode, no memory), or lost\n"
           "        the display\n"
           "  2     a wrong command line\n"
           "  128+N ended by signal N: 129 SIGHUP, 130 SIGINT (Ctrl+C), 143 SIGTERM\n";
}

std::string version_text() {
    return "comets " COMETS_VERSION "\n";
}

std::string usage_error_text(const std::string& problem) {
    return "comets: " + problem + "\nTry 'comets --help'.\n";
}
