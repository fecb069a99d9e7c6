#!/usr/bin/env bash
# The ways a healthy program is told to end from outside, each tried ENDING_RUNS times (3 by
# default: races hide in single runs), at a random moment, running or with P held:
#   SIGINT, SIGTERM, SIGHUP     ended by that very signal: status 130, 143, 129
#   SIGTERM during start-up     the same, though the library installs handlers of its own
#   X server killed             status 1 and one line of its own on standard error
#   client killed by the server (as xkill does): the same
#   logout                      SIGTERM to the program and its X server at once: 143 or 1
# Each must end within 2 s; a hang or a crash fails.
source "$(dirname "$0")/lib.sh"
runs=${ENDING_RUNS:-3}
cases=0 slowest=0

# await_end CASE: waits up to 2 s for the program to end; leaves its exit status in $status.
await_end() {
    local tries=0
    while kill -0 "$COMETS_PID" 2>/dev/null; do
        if ((++tries > 40)); then
            kill -KILL "$COMETS_PID" 2>/dev/null
            fail "$1: still running 2 s later"
        fi
        sleep 0.05
    done
    ((tries > slowest)) && slowest=$tries
    status=0
    wait "$COMETS_PID" || status=$?
    COMETS_PID=""
}

# start_run PAUSED: the program on the current display, a random moment into its run, with
# P held when PAUSED is 1.
start_run() {
    start_comets "0.$((RANDOM % 5))"
    if [[ $1 == 1 ]]; then
        xdotool keydown p
        sleep 0.2
    fi
}

# label PAUSED: how a case is named in a failure, paused or not.
label() {
    [[ $1 == 1 ]] && echo " with P held" || true
}

# signal_case SIGNAL STATUS PAUSED
signal_case() {
    local name="SIG$1$(label "$3")"
    start_run "$3"
    kill -s "$1" "$COMETS_PID"
    await_end "$name"
    [[ $3 == 1 ]] && xdotool keyup p
    [[ $status -eq $2 ]] || fail "$name: status $status, expected $2"
    ! grep -q "Shutting down Allegro" "$WORK/err" || fail "$name: the library's signal handler ran"
    ((++cases))
}

# startup_case: SIGTERM within the first 100 ms, while the library may be starting; five
# times, as the window is narrow.
startup_case() {
    for _ in 1 2 3 4 5; do
        "$COMETS" >"$WORK/out" 2>"$WORK/err" &
        COMETS_PID=$!
        sleep "0.0$((RANDOM % 10))"
        kill -TERM "$COMETS_PID"
        await_end "SIGTERM during start-up"
        [[ $status -eq 143 ]] || fail "SIGTERM during start-up: status $status, expected 143"
        ((++cases))
    done
}

# display_case HOW PAUSED: the connection to the display is lost; HOW is server or client.
display_case() {
    local name="X $1 killed$(label "$2")"
    start_run "$2"
    if [[ $1 == server ]]; then
        kill -KILL "$XVFB_PID"
    else
        "$X11_PROBE" kill comets || fail "could not find the program's window"
    fi
    await_end "$name"
    stop_pids "$XVFB_PID"
    [[ $status -eq 1 ]] || fail "$name: status $status, expected 1"
    [[ $(wc -l <"$WORK/err") -eq 1 ]] && grep -q "^comets: .*X display" "$WORK/err" ||
        fail "$name: standard error is not one line of the program's own"
    start_xvfb "$WORK"
    ((++cases))
}

logout_case() {
    start_run 0
    kill -TERM "$COMETS_PID" "$XVFB_PID"
    await_end logout
    stop_pids "$XVFB_PID"
    [[ $status -eq 143 || $status -eq 1 ]] || fail "logout: status $status, expected 143 or 1"
    start_xvfb "$WORK"
    ((++cases))
}

start_xvfb "$WORK"
for ((run = 1; run <= runs; run++)); do
    for paused in 0 1; do
        signal_case INT 130 "$paused"
        signal_case TERM 143 "$paused"
        signal_case HUP 129 "$paused"
        display_case server "$paused"
    done
    startup_case
    display_case client 0
    logout_case
done
echo "PASS: $cases endings ($runs of each) ended as they should, the slowest within" \
    "$((slowest * 50 + 50)) ms; none hung or crashed"
