#!/usr/bin/env bash
# Start-up failures give a clear message and status 1, never a signal.
# Needs REFUSE_GFX_MODE: a library that, preloaded, refuses every graphics mode.
source "$(dirname "$0")/lib.sh"
: "${REFUSE_GFX_MODE:?path of the refuse_gfx_mode library}"

status=0
env -u DISPLAY "$COMETS" >"$WORK/out" 2>"$WORK/err" || status=$?
[[ $status -eq 1 ]] || fail "with no display: status $status, expected 1"
grep -q "cannot start the Allegro library" "$WORK/err" || fail "with no display: no reason given"
[[ ! -s $WORK/out ]] || fail "with no display: unexpected standard output"

start_xvfb
status=0
LD_PRELOAD=$REFUSE_GFX_MODE "$COMETS" >"$WORK/out" 2>"$WORK/err" || status=$?
[[ $status -eq 1 ]] || fail "with no graphics mode: status $status, expected 1"
[[ $(cat "$WORK/out") == "Unable to set GFX mode" ]] || fail "with no graphics mode: wrong message"
echo "PASS: no display and no graphics mode both end with a message and status 1"
