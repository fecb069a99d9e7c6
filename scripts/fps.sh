#!/usr/bin/env bash
# Runs the real program on a private virtual display for a fixed time and reports its
# frame rate. Frames are counted by a library preloaded in front of Allegro's blit, so
# the program itself is unchanged.   Usage: scripts/fps.sh [seconds, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}

scripts/build.sh >/dev/null
scripts/deps.sh xvfb xdotool

work=$(mktemp -d)
xvfb_pid="" comets_pid=""
cleanup() {
    [[ -n $comets_pid ]] && kill "$comets_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
until [[ -s $work/display ]]; do sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"

COUNT_FRAMES_FILE=$work/frames LD_PRELOAD=$PWD/build/bench/libcount_frames.so \
    build/comets >/dev/null &
comets_pid=$!
sleep "$seconds"
xdotool keydown Escape sleep 0.3 keyup Escape
wait "$comets_pid"
comets_pid=""

read -r frames elapsed <"$work/frames"
awk -v f="$frames" -v t="$elapsed" \
    'BEGIN { printf "%d frames in %.2f s: %.0f frames per second\n", f, t, f / t }'
