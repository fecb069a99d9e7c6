# Shared by the end-to-end tests: a private X server, the program under test, real input
# through XTest, and a clean-up that leaves no process behind.
# Needs COMETS (the program) and X11_PROBE (tests/tools/x11_probe) in the environment.
set -euo pipefail

: "${COMETS:?path of the comets program}"
: "${X11_PROBE:?path of the x11_probe tool}"

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"

WORK=$(mktemp -d)
XVFB_PID=""
COMETS_PID=""

trap 'stop_pids "$COMETS_PID" "$XVFB_PID"; rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*" >&2
    for f in out err; do
        [[ -s $WORK/$f ]] && { echo "--- program's std$f:" >&2; cat "$WORK/$f" >&2; echo >&2; }
    done
    exit 1
}

# Starts the program in the background with its output captured, then waits until it has
# set the graphics mode (its message is on standard output) and lets frames go by for $1
# seconds (0.5 by default).
start_comets() {
    # Emptied here, not only by the redirection: that happens in the new process, maybe after
    # the first look below, which would then find an earlier run's message.
    : >"$WORK/out"
    "$COMETS" >"$WORK/out" 2>"$WORK/err" &
    COMETS_PID=$!
    local tries=0
    until grep -q "GFX mode set" "$WORK/out"; do
        kill -0 "$COMETS_PID" 2>/dev/null || fail "the program ended during start-up"
        ((++tries < 100)) || fail "no graphics mode message after 10 s"
        sleep 0.1
    done
    sleep "${1:-0.5}"
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
    local want=$1 seconds=${2:-10} tries=0
    while kill -0 "$COMETS_PID" 2>/dev/null; do
        ((++tries < seconds * 10)) || fail "the program still runs after $seconds s"
        sleep 0.1
    done
    local status=0
    wait "$COMETS_PID" || status=$?
    COMETS_PID=""
    [[ $status -eq $want ]] || fail "exit status $status, expected $want"
}

snapshot() {
    "$X11_PROBE" snapshot
}
