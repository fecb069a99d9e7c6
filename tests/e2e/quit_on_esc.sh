#!/usr/bin/env bash
# The program sets the mode, says which depth it got (no newline), and Esc ends it with 0.
source "$(dirname "$0")/lib.sh"

start_xvfb "$WORK"
start_comets
out=$(cat "$WORK/out")
[[ $out =~ ^GFX\ mode\ set\ with\ depth\ (32|24|16|15)\ bit$ ]] || fail "stdout was '$out'"
kill -0 "$COMETS_PID" 2>/dev/null || fail "the program did not keep running"
hold_key Escape
expect_exit 0
[[ ! -s $WORK/err ]] || fail "unexpected standard error"
echo "PASS: $out; Esc ended the program with status 0"
