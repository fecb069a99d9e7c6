#!/usr/bin/env bash
# On GNOME under Wayland, where the program runs through XWayland: mutter, headless, with
# XWayland, and keys typed through the compositor's own input path (its RemoteDesktop API,
# tests/tools/remote_keys.py), not XTest, which would pass the compositor by. Started with no
# window focused, and from a Wayland terminal (foot) by typing Return there, the program must
# every time freeze while P is held, and end with status 0 on Esc, on Alt+F4 and on a
# taskbar's close request. Judged by its frames and its status, with patience: on a busy
# machine headless mutter stalls for seconds at a time. Each case starts on a new compositor,
# so no undrawn frames of earlier cases pile up to stall it longer.
# Then under sway with two monitors, 1920x1080 and 1280x1024 beside it, where sway gives the
# full-screen window the whole focused one: the picture must fill its height, centred, leave
# the other monitor untouched, and a pull at a point of it, pressed through sway's own cursor
# (tests/tools/virtual_pointer.py), must gather the swarm there; with that monitor's mode
# changed while it runs, the picture must fit the new one.
# Needs COUNT_FRAMES_LIB (bench/count_frames), and mutter, Xwayland, dbus-daemon, foot,
# Python's gi, sway, xhost and ImageMagick (scripts/test.sh installs them).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/desktops.sh"
runs=${DESKTOP_RUNS:-2}
PATIENCE=30

# The first frame of a program started from the terminal: Return is typed once the terminal
# has the keyboard, so it starts as a user would start it there.
await_start_from_terminal() {
    await_first_frame press 28
}

# await_focus HOW: waits until mutter has given the program's window the focus, as a user
# sees before typing: a key typed before then goes elsewhere, which would be the test's fault,
# and a focus that never comes is then told apart from a key the program missed.
await_focus() {
    local start waited
    start=$(microseconds)
    focused() {
        local window
        window=$(xdotool getactivewindow 2>/dev/null) &&
            [[ $(xdotool getwindowname "$window" 2>/dev/null) == comets ]]
    }
    poll "$PATIENCE" focused ||
        fail "mutter did not give the program the focus within $PATIENCE s, started from the $1"
    waited=$((($(microseconds) - start) / 1000))
    ((waited <= FOCUS_WAIT_MS)) || FOCUS_WAIT_MS=$waited
}
FOCUS_WAIT_MS=0

# check_run HOW ENDING: starts the program (HOW: menu, as with nothing focused, or
# terminal), checks that P held freezes it and that ENDING (esc, alt-f4, wm-close) ends it
# with status 0.
check_run() {
    local how=$1 ending=$2
    start_gnome
    if [[ $how == menu ]]; then
        launch_counted
        await_first_frame
    else
        launch_counted foot --override=font=monospace:size=8 sh -c 'read -r _ && exec "$@"' sh
        await_start_from_terminal
    fi
    expect_moving "after start-up from the $how"
    await_focus "$how"
    key 25 down
    expect_frozen "with P held, started from the $how"
    key 25 up
    expect_moving "after P was released, started from the $how"
    case $ending in
        esc) press 1 ;;
        alt-f4) key 56 down && press 62 && key 56 up ;;
        wm-close) "$X11_PROBE" wm-close comets || fail "no window called comets" ;;
    esac
    expect_status 0 "$ending, started from the $how"
    ((++cases))
}

# capture OUTPUT: what sway shows on that monitor, into $WORK/window.png.
capture() {
    "${AS_SWAY[@]}" grim -o "$1" "$WORK/sway/shown.png" && cp "$WORK/sway/shown.png" "$WORK/window.png"
}

# lit X Y W H: how many pixels of that part of the captured monitor are not black.
lit() {
    convert "$WORK/window.png" -crop "$3x$4+$1+$2" +repage -colorspace gray -threshold 0 \
        -precision 16 -format '%[fx:round(mean*w*h)]' info:
}

# The picture under sway: 1440x1080 from x = 240 of the first monitor, black either side, and the
# second monitor its background only. Held at (600, 300), the left button must gather the
# swarm there, at (200, 166) of the picture: most of what is lit must then lie within 133 of its
# pixels, 240 of the monitor's (where the pointer is not mapped into the picture, the swarm
# gathers at (600, 300) of the picture, shown at (1320, 540), far from there). Then at 1280x720 the picture must be 960x720 from x = 160.
check_sway_picture() {
    # The first monitor focused, and the pointer on it: which output sway focuses at its start
    # differs between releases.
    "${AS_SWAY[@]}" swaymsg 'focus output HEADLESS-1' >/dev/null
    "${AS_SWAY[@]}" swaymsg 'seat seat0 cursor set 960 540' >/dev/null
    launch_counted
    await_first_frame
    local window geometry
    window=$(xdotool search --onlyvisible --name '^comets$' | head -n 1) ||
        fail "no window called comets under sway"
    geometry=$(xdotool getwindowgeometry --shell "$window")
    grep -q '^X=0$' <<<"$geometry" && grep -q '^WIDTH=1920$' <<<"$geometry" &&
        grep -q '^HEIGHT=1080$' <<<"$geometry" ||
        fail "sway did not give the window the first monitor: $(echo $geometry)"
    # Once shown, sway puts XWayland's pointer where its own cursor is: only then is it moved.
    sleep 1
    "${AS_SWAY[@]}" swaymsg 'seat seat0 cursor set 600 300' >/dev/null
    sleep 0.5
    "${AS_SWAY[@]}" swaymsg 'seat seat0 cursor press button1' >/dev/null
    sleep 3
    capture HEADLESS-1 || fail "grim could not capture the first monitor"
    "${AS_SWAY[@]}" swaymsg 'seat seat0 cursor release button1' >/dev/null
    local left right all near count seconds
    left=$(lit 0 0 240 1080) right=$(lit 1680 0 240 1080)
    all=$(lit 240 0 1440 1080) near=$(lit 360 60 480 480)
    # Its background only, wholly: sway 1.7 repaints a monitor only where something on it
    # changed, and the library's window covered both while it set the mode.
    capture HEADLESS-2 || fail "grim could not capture the second monitor"
    local colours other
    colours=$(convert "$WORK/window.png" -format '%k' info:) other=$(lit 0 0 1280 1024)
    "${AS_SWAY[@]}" swaymsg output HEADLESS-1 mode 1280x720 >/dev/null
    # Captured until the picture shows fitted, or for 5 s; the last capture is judged.
    local refit_left refit_right refit_all
    refitted() {
        capture HEADLESS-1 || fail "grim could not capture the first monitor at 1280x720"
        refit_left=$(lit 0 0 160 720) refit_right=$(lit 1120 0 160 720)
        refit_all=$(lit 160 0 960 720)
        ((refit_left == 0 && refit_right == 0 && refit_all > 0))
    }
    poll 5 refitted || true
    "$X11_PROBE" close comets
    expect_status 0 "the close request under sway"
    read -r count seconds <"$WORK/frames"
    echo "under sway: $count frames in $seconds s; lit pixels: $left and $right beside the" \
        "picture, $near of $all near the pointer; $colours colour(s) on the other monitor," \
        "$other lit;" \
        "at 1280x720 $refit_left and $refit_right beside the picture, $refit_all in it"
    ((left == 0 && right == 0 && all > 0)) || fail "the picture is not centred in 1440x1080 under sway"
    ((near * 2 > all)) || fail "the pull did not gather the swarm at the pointer under sway"
    ((colours == 1 && other == 1280 * 1024)) ||
        fail "the second monitor under sway was not left as it was (its background only)"
    ((refit_left == 0 && refit_right == 0 && refit_all > 0)) ||
        fail "the picture was not fitted again to 1280x720 under sway"
}

x11_socket_folder
start_buses
cases=0
for ((run = 1; run <= runs; run++)); do
    for how in menu terminal; do
        for ending in esc alt-f4 wm-close; do
            check_run "$how" "$ending"
        done
    done
done
exec 8>&-
stop_pids "${SERVER_PIDS[@]}"
SERVER_PIDS=()
start_sway
check_sway_picture
# Hung: the program goes on waiting past an X11 window manager's 3 s, with no frame, and a
# SIGTERM still ends it at once.
kill -STOP "$SWAY_PID"
launch_counted
sleep 4
[[ ! -s $WORK/frames ]] || fail "frames came with sway hung: the window was not handed over"
kill -TERM "$(cat "$WORK/pid")"
PATIENCE=0 expect_status 143 "SIGTERM with sway hung"
kill -CONT "$SWAY_PID"
echo "PASS: $cases runs under mutter on Wayland: P froze each one, and Esc, Alt+F4 and the" \
    "close request each ended it with status 0 (the focus came up to $FOCUS_WAIT_MS ms after" \
    "the first frame); under sway with two monitors the picture" \
    "filled the first one's height, centred, left the second untouched, gathered the swarm" \
    "where the pointer showed, and fitted a new mode; with sway hung it waited, and SIGTERM" \
    "ended it"
