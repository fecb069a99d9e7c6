# Shared by the end-to-end tests: a private X server, the program under test, real input
# through XTest, and a clean-up that leaves no process behind.
# Needs COMETS (the program) and X11_PROBE (tests/tools/x11_probe) in the environment.
set -euo pipefail

: "${COMETS:?path of the comets program}"
: "${X11_PROBE:?path of the x11_probe tool}"

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

WORK=$(mktemp -d)
XVFB_PID=""
COMETS_PID=""
LAUNCHER_PID=""  # what start_counted started the program through
COMETS_OPTIONS=()
SERVER_PIDS=()   # what a test starts besides Xvfb (a compositor, a window manager, buses)

trap 'stop_pids "$COMETS_PID" "$LAUNCHER_PID" "${SERVER_PIDS[@]}" "$XVFB_PID"; rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*" >&2
    for f in out err; do
        [[ -s $WORK/$f ]] && { echo "--- program's std$f:" >&2; cat "$WORK/$f" >&2; echo >&2; }
    done
    exit 1
}

# Ends the test as skipped (status 77, CTest's SKIP_RETURN_CODE here) where this machine
# cannot run what the test needs: said, and never counted as a pass.
skip() {
    echo "SKIP: $*" >&2
    exit 77
}

# Starts the program in the background with its output captured and the options in
# COMETS_OPTIONS, through the command given
# after $1 if any (one that execs it, so that COMETS_PID is the program's), then waits until
# it has set the graphics mode and lets frames go by for $1 seconds (0.5 by default).
start_comets() {
    # Emptied here, not only by the redirection: that happens in the new process, maybe after
    # the first look below, which would then find an earlier run's message.
    : >"$WORK/out"
    "${@:2}" "$COMETS" "${COMETS_OPTIONS[@]}" >"$WORK/out" 2>"$WORK/err" &
    COMETS_PID=$!
    await_mode_message "$COMETS_PID"
    sleep "${1:-0.5}"
}

# Waits up to 10 s for the graphics mode message on the program's standard output; the
# process $1 (the program, or what runs it) must not end meanwhile.
await_mode_message() {
    mode_message() { grep -q "GFX mode set" "$WORK/out"; }
    mode_message_or_end() { mode_message || ended "$1"; }
    poll 10 mode_message_or_end "$1" || fail "no graphics mode message after 10 s"
    mode_message || fail "the program ended during start-up"
}

# Holds a key down for a moment, as a person does: a press and release that arrive
# together could fall between two passes of the frame loop.
hold_key() {
    xdotool keydown "$1"
    sleep "${2:-0.3}"
    xdotool keyup "$1"
}

# Waits up to $2 seconds for the program to end and checks its exit status is $1.
expect_exit() {
    local want=$1 seconds=${2:-10}
    poll "$seconds" ended "$COMETS_PID" || fail "the program still runs after $seconds s"
    local status=0
    wait "$COMETS_PID" || status=$?
    COMETS_PID=""
    [[ $status -eq $want ]] || fail "exit status $status, expected $want"
}

# X.Org with the dummy driver, started as whoever runs this (it needs no device), and two of
# its outputs turned on: 1920x1080, and 1280x1024 to its right. Sets XVFB_PID and DISPLAY, as
# start_xvfb does.
start_xorg_two_monitors() {
    cat >"$WORK/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    SubSection "Display"
        Depth 24
        Virtual 3200 1200
    EndSubSection
EndSection
CONF
    rm -f "$WORK/display"
    Xorg -config "$WORK/xorg.conf" -configdir "$WORK" -noreset -nolisten tcp \
        -logfile "$WORK/xorg.log" -displayfd 3 3>"$WORK/display" >/dev/null 2>&1 &
    XVFB_PID=$!
    poll 10 test -s "$WORK/display" || fail "X.Org did not start: $(tail -n 5 "$WORK/xorg.log")"
    export DISPLAY=":$(head -n 1 "$WORK/display")"
    xrandr --output DUMMY0 --mode 1920x1080 && xrandr --addmode DUMMY1 1280x1024 &&
        xrandr --output DUMMY1 --mode 1280x1024 --right-of DUMMY0 || fail "X.Org: no second monitor"
}

snapshot() {
    "$X11_PROBE" snapshot "$@"
}

# Starts the program with the frame counter preloaded (COUNT_FRAMES_LIB) and the options in
# COMETS_OPTIONS, through the command given (a terminal, say) or straight away. Its pid, output
# and exit status land in $WORK.
launch_counted() {
    rm -f "$WORK/frames" "$WORK/pid" "$WORK/status"
    : >"$WORK/out"  # no earlier run's mode message for await_mode_message to find
    : "${COUNT_FRAMES_LIB:?path of the count_frames library}"
    # Preloaded as scripts/common.sh's preload does, inside the command that starts it.
    "$@" sh -c 'work=$1 comets=$2 counter=$3; shift 3
        COUNT_FRAMES_FILE="$work/frames" LD_PRELOAD=/proc/self/fd/7 "$comets" "$@" 7<"$counter" \
        >"$work/out" 2>"$work/err" & echo $! >"$work/pid"; wait $!; echo $? >"$work/status"' \
        sh "$WORK" "$COMETS" "$COUNT_FRAMES_LIB" "${COMETS_OPTIONS[@]}" &
    LAUNCHER_PID=$!
}

# How many seconds more a desktop may take to pass a key or a request on to the program, or to
# show its window: none on a bare X server; a busy compositor can stall for many seconds.
PATIENCE=0

# Waits up to 10 s (plus PATIENCE) for the first frame of the program launch_counted started,
# running the command given, if any, every second meanwhile; sets COMETS_PID.
await_first_frame() {
    local looks=0
    first_frame_or_end() {
        [[ -s $WORK/frames || -s $WORK/status ]] && return
        if (($# > 0 && looks++ % 10 == 0)); then
            "$@"
        fi
        return 1
    }
    poll $((10 + PATIENCE)) first_frame_or_end "$@" || fail "no frame after $((10 + PATIENCE)) s"
    [[ -s $WORK/frames ]] || fail "the program ended during start-up"
    COMETS_PID=$(cat "$WORK/pid")
}

# The frames the program has presented so far, as the counter last wrote them.
frames() {
    local count _
    read -r count _ <"$WORK/frames"
    echo "$count"
}

# Fails unless frames go on being presented (while $1 describes the moment): a new one within
# half a second, or PATIENCE seconds more.
expect_moving() {
    local before
    before=$(frames)
    newer_frame() { (($(frames) > before)); }
    poll "$PATIENCE.5" newer_frame || fail "no frame presented $1"
}

# Fails unless no frame is presented for a quarter of a second (while $1 describes the
# moment), within PATIENCE seconds. The counter writes at most a tenth of a second late, so the
# first look waits longer than that. Short, so that a key held meanwhile does not yet repeat.
expect_frozen() {
    local before start=$SECONDS
    while :; do
        sleep 0.15
        before=$(frames)
        sleep 0.25
        (($(frames) == before)) && return
        ((SECONDS - start < PATIENCE)) || fail "frames went on $1"
    done
}

# Waits up to 5 s (plus PATIENCE) for the program started by launch_counted, and what it was
# started through, to end; the program's status must be $1 (after what $2 says).
expect_status() {
    all_ended() { [[ -s $WORK/status ]] && ended "$LAUNCHER_PID"; }
    poll $((5 + PATIENCE)) all_ended ||
        fail "the program or its launcher still runs $((5 + PATIENCE)) s after $2"
    wait "$LAUNCHER_PID" || true
    COMETS_PID="" LAUNCHER_PID=""
    [[ $(cat "$WORK/status") -eq $1 ]] || fail "exit status $(cat "$WORK/status") after $2"
}
