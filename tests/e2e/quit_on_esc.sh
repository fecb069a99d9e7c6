#!/usr/bin/env bash
# The program sets the mode, says which depth it got (no newline), and Esc ends it with 0;
# paced at 2 frames a second, so does a quick tap that falls between two frames.
source "$(dirname "$0")/lib.sh"

start_xvfb "$WORK"
start_comets
out=$(cat "$WORK/out")
[[ $out =~ ^GFX\ mode\ set\ with\ depth\ (32|24|16|15)\ bit$ ]] || fail "stdout was '$out'"
kill -0 "$COMETS_PID" 2>/dev/null || fail "the program did not keep running"
hold_key Escape
expect_exit 0
[[ ! -s $WORK/err ]] || fail "unexpected standard error"

: >"$WORK/out"
"$COMETS" --fps 2 >"$WORK/out" 2>"$WORK/err" &
COMETS_PID=$!
await_mode_message "$COMETS_PID"
sleep 1
xdotool key Escape
expect_exit 0 2
echo "PASS: $out; Esc ended the program with status 0, and a tap of it at --fps 2"
