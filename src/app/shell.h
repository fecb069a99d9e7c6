// Start-up and frame loop of the program: everything main does around the swarm.
#pragma once

#include <array>
#include <atomic>

#include "swarm/comet.h"

struct BITMAP;

// Set by close_hook, possibly from one of the library's threads; never cleared.
extern std::atomic<bool> quit_requested;

// Registered as the window's close-button callback.
void close_hook();

// Starts the library, and with `input` its timer, mouse and keyboard; registers close_hook and
// installs the handlers for the ways the program is told to end from outside and for the
// display's errors. On failure says why on standard error and returns false.
bool start_library(bool input = true);

// The colour depths tried for the graphics mode, in order.
constexpr std::array<int, 4> DEPTH_CANDIDATES = {32, 24, 16, 15};

// Same signature as the library's set_gfx_mode: the platform's (set_desktop_gfx_mode), or a
// test's that refuses modes.
using GfxModeSetter = int (*)(int card, int width, int height, int virtual_width,
                              int virtual_height);

// Tries 800x600, full screen or in a window, at each of DEPTH_CANDIDATES in turn and prints
// which depth it got, or that none worked (then returns false).
bool set_graphics_mode(GfxModeSetter try_mode, bool in_window = false);

// A memory bitmap the size and depth of the screen; null, after a message on standard
// error, when it cannot be made.
BITMAP* create_back_buffer();

// The swarm table: one comet per slot, and whether the frame loop runs it.
using CometTable = std::array<Comet, COMET_COUNT>;
using ActiveTable = std::array<bool, COMET_COUNT>;

// Spawns a comet into every slot, in slot order, and marks it active. Returns false, after
// a message on standard error, when memory runs out.
bool spawn_swarm(CometTable& comets, ActiveTable& active);

// One pass over the slots: each active comet is updated and then drawn before the next
// slot is touched, so later slots cover earlier ones.
void advance_swarm(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer);

// Busy-waits while P is held; only a signal to end cuts it short.
void wait_while_paused();

// Lays the pointer over the buffer, copies it to the screen, takes the pointer off again
// and clears the buffer for the next frame.
void present_frame(BITMAP* back_buffer);

// The keyboard's low-level hook, installed by start_library before the keyboard starts and
// never taken out (the library's input thread tests the hook and then calls it, so one cleared
// could leave that thread calling nothing): notes an Esc tap for a paced frame loop.
void note_esc_tap(int scancode);

// What ends the frame loop besides the close request and a signal: Esc, as a desktop toy; the
// first key, button or movement of the mouse, as a full-screen screen saver; or nothing else,
// in a window a screen saver gave, which has no input.
enum class LoopEnd { esc, any_input, outside_only };

// Runs frames until the close request, a signal or what `end` names, tested at the top of each
// pass: at most `fps` frames a second, or with 0 as fast as they come.
void run_frame_loop(CometTable& comets, const ActiveTable& active, BITMAP* back_buffer, int fps = 0,
                    LoopEnd end = LoopEnd::esc);
