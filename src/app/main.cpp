// comets: a swarm of 32 comets on a full-screen 800x600 display, herded with the mouse.
// Left button pulls, right button pushes, P held freezes, Esc or the close button ends.
// Options (comets --help): in a window instead, at most so many frames a second; as a screen
// saver, in a window it is given or, named *.scr on Windows, full screen until the first input.

#include <allegro.h>

#include <cstdlib>
#include <ctime>

#include "app/options.h"
#include "app/shell.h"
#include "platform/console.h"
#include "platform/desktop.h"
#include "platform/ending.h"

int main(int argc, char* argv[]) {
    // The command line, before anything touches the display.
    const Options options = parse_options(argc, argv);
    if (!options.problem.empty()) {
        tell_user(usage_error_text(options.problem), true);
        return 2;
    }
    if (options.help || options.version) {
        tell_user(options.help ? usage_text() : version_text(), false);
        return EXIT_SUCCESS;
    }
    if (options.saver == Saver::settings) {
        show_notice("comets has no settings to change.");
        return EXIT_SUCCESS;
    }
    if (options.saver == Saver::preview) {
        return EXIT_SUCCESS;  // the preview box stays as the settings dialog drew it
    }

    // Start-up: in a window a screen saver gives, without input of its own; or on a screen of
    // its own.
    const bool given_window = options.saver == Saver::given_window;
    if (!start_library(!given_window) ||
        (given_window && !draw_into_given_window(options.window_id)) ||
        !set_graphics_mode(set_desktop_gfx_mode, options.window || given_window)) {
        return EXIT_FAILURE;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    BITMAP* back_buffer = create_back_buffer();
    if (back_buffer == nullptr) {
        return EXIT_FAILURE;
    }
    CometTable comets;
    ActiveTable active{};
    if (!spawn_swarm(comets, active)) {
        return EXIT_FAILURE;
    }

    // Main loop, until Esc, the close button or a signal; as a saver, until told from outside
    // or, full screen, until the first input.
    const LoopEnd end = given_window                          ? LoopEnd::outside_only
                        : options.saver == Saver::full_screen ? LoopEnd::any_input
                                                              : LoopEnd::esc;
    run_frame_loop(comets, active, back_buffer, options.fps, end);

    // Shutdown: after a signal, here and by that signal; otherwise the library closes
    // itself down at exit.
    if (const int signal_number = ending_signal(); signal_number != 0) {
        end_by_signal(signal_number);
    }
    return EXIT_SUCCESS;
}
END_OF_MAIN()
