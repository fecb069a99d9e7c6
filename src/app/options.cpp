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

// A window's id, as the X server and Windows number them: decimal, or hex after 0x; never 0,
// which is no window.
bool read_window_id(const char* text, unsigned long& id) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    const std::size_t length = std::strlen(digits);
    if (length == 0 || length > (hex ? 8u : 10u)) {
        return false;
    }
    unsigned long long value = 0;
    for (const char* digit = digits; *digit != '\0'; ++digit) {
        const char c = *digit;
        unsigned next = 0;
        if (c >= '0' && c <= '9') {
            next = static_cast<unsigned>(c - '0');
        } else if (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
            next = static_cast<unsigned>((c | 0x20) - 'a' + 10);
        } else {
            return false;
        }
        value = value * (hex ? 16u : 10u) + next;
    }
    if (value == 0 || value > 0xffffffffULL) {
        return false;
    }
    id = static_cast<unsigned long>(value);
    return true;
}

// Whether the program was started under a screen saver's name, as Windows runs one.
bool named_as_saver(const char* name) {
    const std::size_t length = std::strlen(name);
    return length > 4 && (name[length - 4] == '.') && (name[length - 3] | 0x20) == 's' &&
           (name[length - 2] | 0x20) == 'c' && (name[length - 1] | 0x20) == 'r';
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

// The value of the option `name` at argv[i]: after its '=' where it is joined to it, otherwise
// the next argument. Null, with the problem noted, where there is none.
const char* option_value(int argc, const char* const argv[], int& i, const std::string& name,
                         const char* what, std::string& problem) {
    if (std::strlen(argv[i]) > name.size()) {
        return argv[i] + name.size() + 1;
    }
    if (i + 1 == argc) {
        problem = "option " + quoted(name) + " needs " + what;
        return nullptr;
    }
    return argv[++i];
}

// Windows' screen saver arguments: /s, /c and /p HWND, in either case, the window also as
// /p:HWND (and /c:HWND, whose window is only the dialog's parent). True where it was one.
bool read_saver_argument(int argc, const char* const argv[], int& i, Options& options) {
    const std::string argument = argv[i];
    if (argument.size() < 2 || argument[0] != '/' || (argument.size() > 2 && argument[2] != ':')) {
        return false;
    }
    const char letter = static_cast<char>(argument[1] | 0x20);
    if (letter == 's' && argument.size() == 2) {
        options.saver = Saver::full_screen;
    } else if (letter == 'c') {
        options.saver = Saver::settings;
    } else if (letter == 'p') {
        options.saver = Saver::preview;
        const char* value = argument.size() > 2 ? argv[i] + 3 : (i + 1 < argc ? argv[++i] : "");
        if (!read_window_id(value, options.window_id)) {
            options.problem = "invalid preview window " + quoted(value);
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace

Options parse_options(int argc, const char* const argv[]) {
    Options options;
    const bool windows_saver = argc > 0 && named_as_saver(argv[0]);
    if (windows_saver && argc == 1) {
        options.saver = Saver::full_screen;
    }
    for (int i = 1; i < argc && options.problem.empty(); ++i) {
        const std::string argument = argv[i];
        if (windows_saver && read_saver_argument(argc, argv, i, options)) {
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--window") {
            options.window = true;
        } else if (argument == "--fps" || argument.rfind("--fps=", 0) == 0) {
            const char* value = option_value(argc, argv, i, "--fps", "a number of frames a second",
                                             options.problem);
            if (value != nullptr && !read_fps(value, options.fps)) {
                options.problem =
                    "invalid frame rate " + quoted(value) + ": give a whole number from 1 to 1000";
            }
        } else if (argument == "--root" || argument == "-root") {
            options.saver = Saver::given_window;
        } else if (argument == "--window-id" || argument == "-window-id" ||
                   argument.rfind("--window-id=", 0) == 0) {
            options.saver = Saver::given_window;
            const char* value =
                option_value(argc, argv, i, argument == "-window-id" ? argument : "--window-id",
                             "a window's id", options.problem);
            if (value != nullptr && !read_window_id(value, options.window_id)) {
                options.problem = "invalid window id " + quoted(value) +
                                  ": give it in decimal, or in hex after 0x";
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            options.problem = "unknown option " + quoted(argument);
        } else {
            options.problem = "unexpected argument " + quoted(argument);
        }
    }
    if (options.problem.empty() && options.window && options.saver == Saver::given_window) {
        options.problem = "'--window' does not go with '--root' or '--window-id'";
    }
    const bool saving = options.saver == Saver::given_window || options.saver == Saver::full_screen;
    if (saving && options.fps == 0) {
        options.fps = SAVER_FPS;
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
           "                 many as the machine allows (10 as a screen saver)\n"
           "\n"
           "As a screen saver (no input; the swarm wanders, fitted to the window):\n"
           "      --root          draw into the window in XSCREENSAVER_WINDOW, or else into\n"
           "                      the root window (also -root)\n"
           "      --window-id ID  draw into the window ID, in decimal or in hex after 0x\n"
           "                      (also -window-id ID)\n"
           "\n"
           "Mouse and keys:\n"
           "  left button, held    comets farther than their reach steer towards the pointer\n"
           "  right button, held   comets nearer than their reach steer away from it\n"
           "  P, held              freezes the picture\n"
           "  Esc, close button    quits\n"
           "\n"
           "Exit status:\n"
           "  0     quit with Esc or the close button, or the given window went away\n"
           "  1     could not start (no display, no graphics mode, no memory, no such\n"
           "        window), or lost the display\n"
           "  2     a wrong command line\n"
           "  128+N ended by signal N: 129 SIGHUP, 130 SIGINT (Ctrl+C), 143 SIGTERM\n";
}

std::string version_text() {
    return "comets " COMETS_VERSION "\n";
}

std::string usage_error_text(const std::string& problem) {
    return "comets: " + problem + "\nTry 'comets --help'.\n";
}
