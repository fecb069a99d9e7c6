#!/usr/bin/env bash
# Holding P freezes the picture, the pointer's image included; Esc pressed and released
# meanwhile is never seen; releasing P lets the picture go on.
source "$(dirname "$0")/lib.sh"

# still: whether the picture stays the same for a fifth of a second; then in $picture.
still() {
    picture=$(snapshot)
    sleep 0.2
    [[ $(snapshot) == "$picture" ]]
}

start_xvfb "$WORK"
start_comets
xdotool mousemove 200 150
sleep 0.5

xdotool keydown p
poll 3 still || fail "the picture did not stop with P held"
frozen_first=$picture
# The library's pointer, laid over the frame before it is copied: 54 white pixels at its tip.
pointer_white=$("$X11_PROBE" white 200 150 16 16)
((pointer_white >= 54)) || fail "no pointer in the frame at 200,150: $pointer_white white pixels"
xdotool mousemove 600 450
hold_key Escape
sleep 0.5
frozen_second=$(snapshot)
xdotool keyup p
moved() { live=$(snapshot) && [[ $live != "$frozen_second" ]]; }
poll 3 moved || true

[[ $frozen_first == "$frozen_second" ]] ||
    fail "the picture changed while P was held: $frozen_first vs $frozen_second"
[[ $live != "$frozen_second" ]] || fail "the picture did not move on after P was released"
kill -0 "$COMETS_PID" 2>/dev/null || fail "Esc pressed and released during the pause was seen"
hold_key Escape
expect_exit 0
echo "PASS: frozen while P was held ($frozen_first), Esc meanwhile ignored, moving again after"
