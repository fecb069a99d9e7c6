#!/usr/bin/env bash
# The program runs for SOAK_SECONDS (60 by default) under a slowly circling, now pulling,
# now pushing pointer, and its resident memory does not grow after the first seconds.
source "$(dirname "$0")/lib.sh"
seconds=${SOAK_SECONDS:-60}
settle=5

rss_kib() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$COMETS_PID/status"
}

start_xvfb "$WORK"
start_comets
sleep "$settle"
baseline=$(rss_kib)
highest=$baseline
for ((t = settle; t < seconds; t++)); do
    xdotool mousemove $((400 + (t * 37) % 300)) $((300 + (t * 53) % 250))
    case $((t % 3)) in
        0) xdotool mousedown 1 ;;
        1) xdotool mouseup 1 mousedown 3 ;;
        2) xdotool mouseup 3 ;;
    esac
    sleep 1
    kill -0 "$COMETS_PID" 2>/dev/null || fail "the program died after $t s"
    rss=$(rss_kib)
    ((rss > highest)) && highest=$rss
done
xdotool mouseup 1 mouseup 3
echo "resident memory: $baseline KiB after ${settle} s, at most $highest KiB up to $seconds s"
# A few pages of slack for the library's lazily touched memory; a leak of one allocation
# per frame would be thousands of times more.
((highest - baseline <= 256)) || fail "resident memory grew by $((highest - baseline)) KiB"
hold_key Escape
expect_exit 0
echo "PASS: ran $seconds s with steady memory"
