#!/usr/bin/env bash
# Holding P freezes the picture, the pointer's image included; releasing P lets it go on.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_comets
xdotool mousemove 200 150
sleep 0.5
live_before=$(snapshot)

xdotool keydown p
sleep 0.5
frozen_first=$(snapshot)
xdotool mousemove 600 450
sleep 0.5
frozen_second=$(snapshot)
hold_key Escape  # ignored while paused
kill -0 "$COMETS_PID" 2>/dev/null || fail "Esc was seen while P was held"
xdotool keyup p
sleep 0.5
live_after=$(snapshot)

[[ $frozen_first == "$frozen_second" ]] ||
    fail "the picture changed while P was held: $frozen_first vs $frozen_second"
[[ $live_after != "$frozen_second" ]] ||
    fail "the picture did not move on after P was released"
[[ $live_before != "$live_after" ]] || fail "the pointer's image did not follow the mouse"
hold_key Escape
expect_exit 0
echo "PASS: frozen while P was held ($frozen_first), moving again after"
