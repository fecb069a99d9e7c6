#!/usr/bin/env bash
# STORM_SECONDS (30 by default) of random pointer moves, button presses and releases and
# key presses, P among them, through XTest. The program must neither crash nor hang, and
# Esc must still end it with status 0 afterwards.
source "$(dirname "$0")/lib.sh"
seconds=${STORM_SECONDS:-30}
keys=(p p p a z space Return Left Up F1 shift ctrl 1)

start_xvfb "$WORK"
start_comets
RANDOM=7  # the same storm every run
events=0
end=$((SECONDS + seconds))
while ((SECONDS < end)); do
    batch=()
    for _ in 1 2 3 4 5 6 7 8; do
        case $((RANDOM % 5)) in
            0 | 1) batch+=(mousemove $((RANDOM % 900 - 50)) $((RANDOM % 700 - 50))) ;;
            2) batch+=(mousedown $((RANDOM % 2 * 2 + 1))) ;;
            3) batch+=(mouseup $((RANDOM % 2 * 2 + 1))) ;;
            4) key=${keys[RANDOM % ${#keys[@]}]}
               batch+=(keydown "$key" sleep 0.0$((RANDOM % 10)) keyup "$key") ;;
        esac
        ((++events))
    done
    xdotool "${batch[@]}" 2>/dev/null || true
    kill -0 "$COMETS_PID" 2>/dev/null || fail "the program died during the storm"
done
xdotool mouseup 1 mouseup 3 keyup p 2>/dev/null || true

# Still making frames: the picture moves on by itself.
sleep 0.5
first=$(snapshot)
sleep 0.5
[[ $(snapshot) != "$first" ]] || fail "the picture stood still after the storm"
hold_key Escape
expect_exit 0
echo "PASS: $events input events in $seconds s; still running, then ended by Esc"
