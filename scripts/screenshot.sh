#!/usr/bin/env bash
# Runs comets for a few seconds on a private virtual display, herds the swarm with the
# pointer, and saves docs/screenshot.png and a short docs/comets.gif.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
scripts/deps.sh xvfb xdotool imagemagick

source scripts/xvfb.sh
work=$(mktemp -d)
XVFB_PID="" comets_pid=""
trap 'stop_pids "$comets_pid" "$XVFB_PID"; rm -rf "$work"' EXIT
start_xvfb "$work"

build/comets >/dev/null &
comets_pid=$!
sleep 2  # colours start black and drift: give them time to show

# Pull the swarm towards a few points, then push it away from the last one.
for point in "200 150" "600 200" "400 450"; do
    xdotool mousemove $point mousedown 1
    sleep 0.7
    xdotool mouseup 1
done
xdotool mousedown 3
sleep 0.3
xdotool mouseup 3

import -window root docs/screenshot.png
for i in $(seq -w 1 16); do
    import -window root -resize 50% "$work/frame$i.png"
    sleep 0.08
done
convert -delay 8 -loop 0 "$work"/frame*.png -layers optimize -colors 128 docs/comets.gif
xdotool keydown Escape sleep 0.3 keyup Escape
wait "$comets_pid" || true
comets_pid=""
ls -l docs/screenshot.png docs/comets.gif
