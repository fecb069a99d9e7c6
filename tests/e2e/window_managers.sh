#!/usr/bin/env bash
# Under an X11 window manager (openbox, on Xvfb): the program covers the screen without
# decorations, P held freezes it, and Esc, the window manager's Alt+F4 and a taskbar's close
# request each end it with status 0. A window manager that hangs costs start-up a bounded
# wait, and one that crashed (its check window gone) none; either way the program then runs
# as it does with no window manager, and says so where it cannot take the keyboard back. With
# --window it is a decorated 800x600 window of the desktop, and with --fps 60 it makes about 60
# frames a second. Judged by its frames and its status. Where the X server cannot scale the
# picture to a larger window, it says so once.
# Last, on X.Org with two monitors of different sizes (the dummy driver's RandR outputs), the
# pointer on the second, then on the first: the program must go full screen on that one, draw
# nothing on the other, and leave both monitors as they were. On each, as openbox left to
# itself would place the window on the other.
# Needs COUNT_FRAMES_LIB (bench/count_frames), openbox, xprop, xrandr, ImageMagick and X.Org
# with its dummy driver.
source "$(dirname "$0")/lib.sh"

# Starts openbox and waits until it has announced itself on the root window.
start_openbox() {
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    OPENBOX_PID=$!
    SERVER_PIDS+=("$OPENBOX_PID")
    wm_named() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
    poll 10 wm_named || fail "openbox did not start: $(cat "$WORK/openbox.log")"
}

# The visible window called comets must cover the 800x600 screen: a window manager's frame
# would move it down or shrink it.
expect_full_screen() {
    local geometry
    geometry=$(xdotool search --onlyvisible --name '^comets$' getwindowgeometry --shell) ||
        fail "no window called comets is shown under openbox"

    grep -q '^X=0$' <<<"$geometry" && grep -q '^Y=0$' <<<"$geometry" &&
        grep -q '^WIDTH=800$' <<<"$geometry" && grep -q '^HEIGHT=600$' <<<"$geometry" ||
        fail "not full screen without decorations under openbox: $(echo $geometry)"
}

# started_within SECONDS: launches the program and fails unless its first frame comes within
# SECONDS of the launch; then checks that P held freezes it.
started_within() {
    local start=$SECONDS
    launch_counted
    await_first_frame
    ((SECONDS - start <= $1)) || fail "the first frame came $((SECONDS - start)) s after the start"
    expect_moving "after start-up"
    xdotool keydown p
    expect_frozen "with P held"
    xdotool keyup p
    expect_moving "after P was released"
}

start_xvfb "$WORK"
start_openbox
for ending in Escape alt+F4 wm-close; do
    started_within 2
    expect_full_screen
    case $ending in
        wm-close) "$X11_PROBE" wm-close comets || fail "no window called comets" ;;
        *) hold_key "$ending" ;;
    esac
    expect_status 0 "$ending under openbox"
done

# Another window activated, as Alt+Tab or a click does: the pointer is let go, so that another
# client can grab it, and the keys held are released, so that P held as the focus leaves does
# not keep the picture frozen. Back again, Esc ends it.
started_within 2
xdotool keydown p
expect_frozen "with P held"
"$X11_PROBE" elsewhere 1.5 &
elsewhere=$!
sleep 0.5
expect_moving "with P held as the focus left"
wait "$elsewhere" || fail "another window could not have the focus and the pointer"
xdotool keyup p
xdotool search --onlyvisible --name '^comets$' windowactivate --sync
hold_key Escape
expect_status 0 "Escape with the focus back"

# In a window: managed and decorated (openbox puts a frame around it), paced at about 60 frames
# a second (loose bounds, so a loaded machine does not fail it).
COMETS_OPTIONS=(--window --fps 60)
for ending in Escape wm-close; do
    started_within 2
    window=$(xdotool search --onlyvisible --name '^comets$' | head -n 1)
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS)
    [[ $extents =~ =\ [0-9]+,\ [0-9]+,\ [1-9] ]] || fail "--window: no title bar: $extents"
    xdotool getwindowgeometry "$window" | grep -q "Geometry: 800x600" ||
        fail "--window: not 800x600: $(xdotool getwindowgeometry "$window")"
    before=$(frames)
    sleep 2
    rate=$((($(frames) - before) / 2))
    ((rate >= 40 && rate <= 80)) || fail "--fps 60: $rate frames a second"
    case $ending in
        wm-close) "$X11_PROBE" wm-close comets || fail "no window called comets" ;;
        *) hold_key "$ending" ;;
    esac
    expect_status 0 "$ending on the window"
done
COMETS_OPTIONS=()

# Hung: its check window still names itself, but nothing it is asked is done.
kill -STOP "$OPENBOX_PID"
started_within 5
hold_key Escape
expect_status 0 "Escape with openbox hung"
# Again, with the keyboard taken by another program while the program waits for openbox: it
# says in one line that keys will not reach it, and runs on.
launch_counted
await_mode_message "$LAUNCHER_PID"
"$X11_PROBE" hold-keyboard 10 &
SERVER_PIDS+=($!)
await_first_frame
grep -q "^comets: cannot grab the keyboard" "$WORK/err" && (($(wc -l <"$WORK/err") == 1)) ||
    fail "with the keyboard taken, standard error was: $(cat "$WORK/err")"
"$X11_PROBE" close comets || fail "no window called comets"
expect_status 0 "the close request with openbox hung and the keyboard taken"
stop_pids "${SERVER_PIDS[-1]}"
unset 'SERVER_PIDS[-1]'
kill -CONT "$OPENBOX_PID"

# Crashed: the root window still names its check window, which is gone.
kill -KILL "$OPENBOX_PID"
wait "$OPENBOX_PID" 2>/dev/null || true
started_within 2
hold_key Escape
expect_status 0 "Escape after openbox crashed"
# A stand-in window manager (x11_probe) that takes the requests to show windows and ignores
# them, as one that is just starting may ("ignore"), or shows the window but never makes it
# full screen ("map").
start_stand_in() {
    "$X11_PROBE" stand-in-wm "$1" >"$WORK/stand-in" &
    STAND_IN_PID=$!
    SERVER_PIDS+=("$STAND_IN_PID")
    stand_in_ready() { grep -q ready "$WORK/stand-in"; }
    poll 5 stand_in_ready || fail "the stand-in window manager did not start"
}

# ended_within SECONDS STATUS WHAT: the program must end with STATUS within SECONDS of now.
ended_within() {
    local start
    start=$(microseconds)
    poll "$1" test -s "$WORK/status" || fail "still running $1 s after $3"
    expect_status "$2" "$3"
    echo "  $3: ended $((($(microseconds) - start) / 1000)) ms later"
}

# In a window, the mode set waits for the window manager to show it: a SIGTERM meanwhile ends
# it at once, by that signal; and once the window manager is gone (one now running would act),
# the window is asked for again, and shown.
COMETS_OPTIONS=(--window)
stop_pids "$OPENBOX_PID"
for ending in SIGTERM close; do
    start_stand_in ignore
    launch_counted
    sleep 1
    [[ ! -s $WORK/frames ]] || fail "--window: shown though the window manager ignored it"
    if [[ $ending == SIGTERM ]]; then
        kill -TERM "$(cat "$WORK/pid")"
        ended_within 0.5 143 "SIGTERM in a stalled mode set"
    else
        stop_pids "$STAND_IN_PID"
        start=$SECONDS
        await_first_frame
        ((SECONDS - start <= 2)) || fail "--window: not shown 2 s after the window manager went"
        "$X11_PROBE" close comets || fail "no window called comets"
        expect_status 0 "the close request on a window shown after the window manager went"
    fi
    stop_pids "$STAND_IN_PID"
done
COMETS_OPTIONS=()

# Full screen, while the hand-over waits for the window to be made full screen, Esc and the
# close request end the program at once.
start_stand_in map
for ending in Escape close; do
    launch_counted
    await_mode_message "$LAUNCHER_PID"
    sleep 0.5
    case $ending in
        close) "$X11_PROBE" close comets || fail "no window called comets" ;;
        *) hold_key "$ending" 0.2 ;;
    esac
    ended_within 1 0 "$ending during the hand-over"
done
stop_pids "$STAND_IN_PID"

# Where the X server cannot scale (no RENDER), the picture is shown unscaled, and why is said
# once, not again at each later size of the window (openbox fits it to a new screen size).
stop_pids "$OPENBOX_PID" "$XVFB_PID"
start_xvfb "$WORK" 1024x768x24 -extension RENDER
start_openbox
launch_counted
await_first_frame
expect_moving "without RENDER"
xrandr --fb 900x700 >/dev/null 2>&1 || true  # it complains of the output, and goes on
fitted() { xdotool search --onlyvisible --name '^comets$' getwindowgeometry | grep -q 900x700; }
poll 5 fitted || fail "openbox did not fit the window to a 900x700 screen"
expect_moving "without RENDER, at 900x700"
[[ $(wc -l <"$WORK/err") -eq 1 ]] && grep -q "^comets: cannot scale the picture" "$WORK/err" ||
    fail "without RENDER, standard error was: $(cat "$WORK/err")"
hold_key Escape
expect_status 0 "Escape without RENDER"

stop_pids "$OPENBOX_PID" "$XVFB_PID"
start_xorg_two_monitors
monitors=$(xrandr --listmonitors)
start_openbox
# pointer X Y, then the pointer's monitor (X WIDTH HEIGHT) and the other one (as a crop).
for placement in "2500 500 1920 1280 1024 1920x1080+0+0" "500 500 0 1920 1080 1280x1024+1920+0"; do
    read -r pointer_x pointer_y x width height other <<<"$placement"
    xdotool mousemove "$pointer_x" "$pointer_y"
    launch_counted
    await_first_frame
    expect_moving "on X.Org with two monitors"
    geometry=$(xdotool search --onlyvisible --name '^comets$' getwindowgeometry --shell) ||
        fail "no window called comets on X.Org"
    grep -q "^X=$x$" <<<"$geometry" && grep -q "^WIDTH=$width$" <<<"$geometry" &&
        grep -q "^HEIGHT=$height$" <<<"$geometry" ||
        fail "not full screen on the monitor at ($pointer_x, $pointer_y): $(echo $geometry)"
    import -window root -crop "$other" "$WORK/other.png"
    other_lit=$(convert "$WORK/other.png" -colorspace gray -threshold 0 \
        -format '%[fx:round(mean*w*h)]' info:)
    ((other_lit == 0)) || fail "$other_lit pixels lit on the monitor without the pointer"
    hold_key Escape
    expect_status 0 "Escape on X.Org with two monitors"
    [[ $(xrandr --listmonitors) == "$monitors" ]] ||
        fail "the monitors changed: $(xrandr --listmonitors)"
done
# A window manager that never shows the window: it goes back to the library's own form, on the
# pointer's monitor, and the picture is fitted to that monitor all the same.
stop_pids "$OPENBOX_PID"
start_stand_in ignore
xdotool mousemove 2500 500
launch_counted
await_first_frame
expect_moving "with a window manager that never shows the window"
window=$(xdotool search --onlyvisible --name '^comets$' | head -n 1)
xwininfo -tree -id "$window" | grep -q "1280x1024+0+0" ||
    fail "the picture is not fitted to the monitor: $(xwininfo -tree -id "$window")"
hold_key Escape
expect_status 0 "Escape with a window manager that never shows the window"
echo "PASS: under openbox full screen, frozen by P, ended with 0 by Esc, Alt+F4 and the" \
    "close request, and letting go of the pointer and P when another window is activated;" \
    "in a decorated window at about 60 frames a second, ended with 0 by Esc and the close" \
    "request; with openbox hung or crashed, started and ended as with none; shown, or ended by" \
    "SIGTERM, in a stalled mode set; ended at once by Esc and the close request during the" \
    "hand-over; on X.Org full screen on the pointer's monitor of two, either one, both as" \
    "they were after, and fitted to it where the window manager never shows the window"
