#!/usr/bin/env bash
# Every start-up failure gives a clear message and status 1, never a signal. Help, the version
# and a wrong command line need no display at all.
# Needs REFUSE_LIB: the library that, preloaded, refuses the call named by REFUSE.
source "$(dirname "$0")/lib.sh"
: "${REFUSE_LIB:?path of the refuse library}"

# run_refused WHAT: runs the program with WHAT refused; leaves its status in $status. The
# library goes into the program alone: built for the program's architecture, it may be
# another than that of the tools here (under qemu).
run_refused() {
    REFUSE=$1 preload "$REFUSE_LIB" "$COMETS" >"$WORK/out" 2>"$WORK/err" &
    local pid=$!
    if ! poll 10 ended "$pid"; then
        kill -KILL "$pid"
        fail "with $1 refused: still running after 10 s"
    fi
    status=0
    wait "$pid" || status=$?
    ! grep -q "cannot be preloaded" "$WORK/err" || fail "the refuse library was not loaded"
    [[ $status -eq 1 ]] || fail "with $1 refused: status $status, expected 1"
}

status=0
env -u DISPLAY timeout -k 1 10 "$COMETS" >"$WORK/out" 2>"$WORK/err" || status=$?
[[ $status -eq 1 ]] || fail "with no display: status $status, expected 1"
grep -q "cannot start the Allegro library" "$WORK/err" || fail "with no display: no reason given"
[[ ! -s $WORK/out ]] || fail "with no display: unexpected standard output"

# run_bare STATUS ARGUMENT...: runs the program with no display; its status must be STATUS.
run_bare() {
    local want=$1 status=0
    shift
    env -u DISPLAY timeout -k 1 10 "$COMETS" "$@" >"$WORK/out" 2>"$WORK/err" || status=$?
    [[ $status -eq $want ]] || fail "comets $*: status $status, expected $want"
}
run_bare 0 --help
grep -q "^Usage: comets" "$WORK/out" && [[ ! -s $WORK/err ]] || fail "comets --help: no usage"
run_bare 0 --version
[[ $(cat "$WORK/out") == "comets $(sed -n 's/^project(comets VERSION \([0-9.]*\) .*/\1/p' \
    "$(dirname "$0")/../../CMakeLists.txt")" ]] || fail "comets --version: $(cat "$WORK/out")"
run_bare 2 --fps 60x
[[ $(tail -n 1 "$WORK/err") == "Try 'comets --help'." && ! -s $WORK/out ]] ||
    fail "comets --fps 60x: no usage error"

start_xvfb "$WORK"
run_refused gfx_mode
[[ $(cat "$WORK/out") == "Unable to set GFX mode" ]] || fail "with no graphics mode: wrong message"

run_refused bitmap
grep -q "cannot allocate the 800x600 frame buffer" "$WORK/err" || fail "no frame buffer: no reason"

run_refused memory
grep -q "out of memory while spawning" "$WORK/err" || fail "out of memory: no reason given"
echo "PASS: no display, no graphics mode, no frame buffer and no memory all end with status 1;" \
    "help, version and a usage error need no display"
