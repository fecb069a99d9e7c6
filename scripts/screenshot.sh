#!/usr/bin/env bash
# Runs comets on a private virtual display and herds the swarm with the pointer: a pull,
# then a push. Saves docs/comets.gif, 150 consecutive frames of it played at 30 frames per
# second, and docs/screenshot.png, the last of them at full size. The frames are saved by a
# library preloaded in front of the program's copy to the screen (bench/save_frames.c), so
# the program runs unchanged.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
scripts/deps.sh xvfb xdotool imagemagick

source scripts/common.sh
work=$(mktemp -d)
XVFB_PID="" comets_pid=""
trap 'stop_pids "$comets_pid" "$XVFB_PID"; rm -rf "$work"' EXIT
start_xvfb "$work"

frames=150
frame() { printf '%s/frame%04d.ppm' "$work" "$1"; }
xdotool mousemove 400 300
# Free-running for 3 s first: colours start black and drift in.
SAVE_FRAMES_DIR=$work SAVE_FRAMES_AFTER=3 SAVE_FRAMES_COUNT=$frames \
    preload build/bench/libsave_frames.so build/comets >/dev/null &
comets_pid=$!

# saved N: waits until frame N has been saved, or fails if the program has ended or has
# not saved it within 10 s.
saved() {
    saved_or_ended() { [[ -e $(frame "$1") ]] || ! kill -0 "$comets_pid" 2>/dev/null; }
    poll 10 saved_or_ended "$1" && [[ -e $(frame "$1") ]] ||
        { echo "comets did not save frame $1" >&2; exit 1; }
}
saved 1

# From here the program shows 30 frames per second: 1 s of wandering, a 2 s pull, a 1.5 s
# push, then the rest free.
sleep 1
xdotool mousedown 1 sleep 2 mouseup 1
xdotool mousedown 3 sleep 1.5 mouseup 3
saved "$frames"  # complete once the program has ended
xdotool keydown Escape sleep 0.3 keyup Escape
wait "$comets_pid" || true
comets_pid=""

convert "$(frame "$frames")" docs/screenshot.png
convert -delay 1x30 -loop 0 "$work"/frame*.ppm -resize 50% +dither -colors 96 \
    -layers optimize docs/comets.gif
ls -l docs/screenshot.png docs/comets.gif
