#!/usr/bin/env bash
# What comets costs as a screen saver, beside two of xscreensaver's classic display modes at
# their defaults: each draws into the root window of a private Xvfb, at 1920x1080 and at
# 800x600, and the share of one core that it and the X server use together is measured over
# SECONDS (20 by default), in ROUNDS turns (2). For comets also how often each of its threads
# wakes. A benchmark, not a test: the figures go to docs/performance.md.
#   Usage: bench/saver_cost.sh [SECONDS [ROUNDS]]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20} rounds=${2:-2}

scripts/build.sh >/dev/null
scripts/deps.sh xvfb xscreensaver-data
hacks=/usr/libexec/xscreensaver

source scripts/common.sh
work=$(mktemp -d)
XVFB_PID="" mode_pid=""
trap 'stop_pids "$mode_pid" "$XVFB_PID"; rm -rf "$work"' EXIT

# CPU time in nanoseconds of every thread of process $1 so far, and the times each thread
# went to sleep of its own accord ("pid:count" each).
cpu_time() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'; }
sleeps() {
    local task
    for task in /proc/"$1"/task/*; do
        echo "${task##*/}:$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")"
    done
}

# measure NAME COMMAND...: runs it for a moment to settle, then for $seconds, and prints a row.
measure() {
    local name=$1
    shift
    "$@" >/dev/null 2>&1 &
    mode_pid=$!
    sleep 2
    local program_before x_before sleeps_before
    program_before=$(cpu_time "$mode_pid") x_before=$(cpu_time "$XVFB_PID")
    sleeps_before=$(sleeps "$mode_pid")
    sleep "$seconds"
    local program=$(($(cpu_time "$mode_pid") - program_before))
    local x=$(($(cpu_time "$XVFB_PID") - x_before))
    local wakeups=""
    if [[ $name == comets* ]]; then
        wakeups=$(join <(tr ' ' '\n' <<<"$sleeps_before" | tr : ' ' | sort) \
            <(sleeps "$mode_pid" | tr : ' ' | sort) |
            awk -v s="$seconds" '{ printf "%s%.0f", sep, ($3 - $2) / s; sep = ", " }')
    fi
    stop_pids "$mode_pid"
    mode_pid=""
    awk -v n="$name" -v size="$size" -v p="$program" -v x="$x" -v s="$seconds" -v w="$wakeups" \
        'BEGIN { printf "| %s | %s | %.3f %% | %.3f %% | %.3f %% | %s |\n", n, size, p / s / 1e7,
                 x / s / 1e7, (p + x) / s / 1e7, w }'
}

echo "| display mode | screen | program | X server | together | wake-ups a second, by thread |"
echo "| --- | --- | --- | --- | --- | --- |"
for size in 1920x1080 800x600; do
    start_xvfb "$work" "${size}x24"
    for ((round = 0; round < rounds; round++)); do
        measure "comets --fps 1" build/comets --root --fps 1
        measure "comets (10 a second)" build/comets --root
        measure "swirl" "$hacks/swirl" --root
        measure "galaxy" "$hacks/galaxy" --root
    done
    stop_pids "$XVFB_PID"
    XVFB_PID=""
done
