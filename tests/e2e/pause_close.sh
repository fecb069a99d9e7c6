#!/usr/bin/env bash
# A close request made while P is held ends the program only once P is released.
source "$(dirname "$0")/lib.sh"

start_xvfb "$WORK"
start_comets
xdotool keydown p
sleep 0.3
"$X11_PROBE" close comets || fail "could not find the program's window"
sleep 1
kill -0 "$COMETS_PID" 2>/dev/null || fail "the program ended while P was held"
xdotool keyup p
expect_exit 0 5
echo "PASS: the close request took effect once P was released"
