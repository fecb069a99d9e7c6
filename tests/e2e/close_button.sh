#!/usr/bin/env bash
# A window-close request (WM_DELETE_WINDOW, as from a window manager) ends it with 0.
source "$(dirname "$0")/lib.sh"

start_xvfb "$WORK"
start_comets
"$X11_PROBE" close comets || fail "could not find the program's window"
expect_exit 0
echo "PASS: the close request ended the program with status 0"
