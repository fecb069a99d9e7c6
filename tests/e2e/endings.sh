#!/usr/bin/env bash
# The ways a healthy program is told to end from outside, each tried ENDING_RUNS times (3 by
# default: races hide in single runs), at a random moment, running or with P held:
#   SIGINT, SIGTERM, SIGHUP     ended by that very signal: status 130, 143, 129
#   SIGTERM during start-up     the same, though the library installs handlers of its own
#   SIGTERM, mode set stalled   the same, though the mode set never returns
#   Ctrl+C on a shell loop      the loop ends: the program died of SIGINT, as the shell sees
#   SIGHUP, SIGINT or SIGTERM ignored from the start (nohup, a script's background job): it
#                               goes on, and Esc ends it with 0
#   X server killed             status 1 and one line of its own on standard error
#   client killed by the server (as xkill does): the same
#   logout                      SIGTERM to the program and its X server at once: 143 or 1
# Each must end within 2 s; a hang or a crash fails.
source "$(dirname "$0")/lib.sh"
runs=${ENDING_RUNS:-3}
cases=0 slowest=0

# await_end CASE: waits up to 2 s for the program to end; leaves its exit status in $status.
await_end() {
    local start took
    start=$(microseconds)
    if ! poll 2 ended "$COMETS_PID"; then
        kill -KILL "$COMETS_PID" 2>/dev/null
        fail "$1: still running 2 s later"
    fi
    took=$((($(microseconds) - start) / 1000))
    ((took <= slowest)) || slowest=$took
    status=0
    wait "$COMETS_PID" || status=$?
    COMETS_PID=""
}

# start_run PAUSED: the program on the current display, a random moment into its run, with
# P held when PAUSED is 1.
start_run() {
    # With SIGINT set back to its default, as a terminal's foreground job has it: what a
    # script starts in the background begins with it ignored, and then it stays ignored.
    start_comets "0.$((RANDOM % 5))" env --default-signal=INT
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

# startup_case: SIGTERM while the library starts, when its own handlers are in place: from
# the moment the program has a socket open (its connection to the X server, made just after
# the library installs them) SIGTERM is sent without pause until it has ended. Twice, though
# once already fails a program that does not hold the signals back.
startup_case() {
    local socket
    for _ in 1 2; do
        "$COMETS" >"$WORK/out" 2>"$WORK/err" &
        COMETS_PID=$!
        socket="" sent=0
        until [[ -n $socket ]] || ! kill -0 "$COMETS_PID" 2>/dev/null; do
            for fd in /proc/"$COMETS_PID"/fd/*; do
                [[ -S $fd ]] && socket=$fd
            done
        done
        while kill -TERM "$COMETS_PID" 2>/dev/null && ((++sent < 100000)); do :; done
        await_end "SIGTERM during start-up"
        [[ $status -eq 143 ]] || fail "SIGTERM during start-up: status $status, expected 143"
        ! grep -q "Shutting down Allegro" "$WORK/err" ||
            fail "SIGTERM during start-up: the library's signal handler ran"
        ((++cases))
    done
}

# ctrl_c_case: Ctrl+C on a shell loop that runs the program. A shell ends its loop only when
# the program died of SIGINT itself; one that merely exited with 130 is started again.
ctrl_c_case() {
    : >"$WORK/out"
    # SIGINT is ignored in what a script starts in the background: set back for the loop.
    setsid env --default-signal=INT bash -c 'while :; do "$0" >>"$1/out" 2>"$1/err"; done' \
        "$COMETS" "$WORK" &
    local loop=$!
    await_mode_message "$loop"
    sleep 0.3
    kill -INT -- -"$loop"
    if ! poll 2 ended "$loop"; then
        kill -KILL -- -"$loop"
        fail "Ctrl+C did not end the shell loop: the program did not die of SIGINT"
    fi
    wait "$loop" || true
    ((++cases))
}

# ignored_case SIGNAL: started with SIGNAL ignored, as nohup does SIGHUP and a shell SIGINT for
# a background job; that signal must leave it running.
ignored_case() {
    start_comets 0 env --ignore-signal="$1"
    kill -s "$1" "$COMETS_PID"
    sleep 0.5
    kill -0 "$COMETS_PID" 2>/dev/null || fail "SIG$1 ended a program started with it ignored"
    hold_key Escape
    await_end "Esc after an ignored SIG$1"
    [[ $status -eq 0 ]] || fail "Esc after an ignored SIG$1: status $status, expected 0"
    ((++cases))
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

stalled_case() {
    REFUSE=stall preload "$REFUSE_LIB" "$COMETS" >"$WORK/out" 2>"$WORK/err" &
    COMETS_PID=$!
    sleep 0.5
    kill -TERM "$COMETS_PID"
    await_end "SIGTERM in a stalled mode set"
    [[ $status -eq 143 ]] || fail "SIGTERM in a stalled mode set: status $status, expected 143"
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
    stalled_case
    ctrl_c_case
    for signal in HUP INT TERM; do
        ignored_case "$signal"
    done
    display_case client 0
    logout_case
done
echo "PASS: $cases endings ($runs of each) ended as they should, the slowest within" \
    "$slowest ms; none hung or crashed"
