#!/usr/bin/env bash
# Runs the real program on a private virtual display for a fixed time and reports its
# frame rate. Frames are counted by a library preloaded in front of Allegro's blit, so
# the program itself is unchanged.   Usage: scripts/fps.sh [seconds, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}

scripts/build.sh >/dev/null
scripts/deps.sh xvfb xdotool

source scripts/common.sh
work=$(mktemp -d)
XVFB_PID="" comets_pid=""
trap 'stop_pids "$comets_pid" "$XVFB_PID"; rm -rf "$work"' EXIT
start_xvfb "$work"

COUNT_FRAMES_FILE=$work/frames preload build/bench/libcount_frames.so build/comets >/dev/null &
comets_pid=$!
sleep "$seconds"
xdotool keydown Escape sleep 0.3 keyup Escape
wait "$comets_pid"
comets_pid=""

read -r frames elapsed <"$work/frames"
awk -v f="$frames" -v t="$elapsed" \
    'BEGIN { printf "%d frames in %.2f s: %.0f frames per second\n", f, t, f / t }'
