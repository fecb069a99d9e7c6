# Sourced by the scripts and tests that run comets on a private virtual display: waiting for a
# condition, starting Xvfb, preloading a library into the program, and stopping what they
# started.

# microseconds: the time now, in microseconds (the decimal sign may be the locale's).
microseconds() {
    echo "${EPOCHREALTIME/[.,]/}"
}

# poll SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds (status 0),
# or until SECONDS (whole, or with a fraction: 2.5) have passed by the clock, however long each
# run of COMMAND takes (status 1).
poll() {
    local whole=${1%.*} fraction=000000
    [[ $1 != *.* ]] || fraction=${1#*.}000000
    local deadline=$(($(microseconds) + 10#${whole:-0} * 1000000 + 10#${fraction:0:6}))
    shift
    until "$@"; do
        (($(microseconds) < deadline)) || return 1
        sleep 0.1
    done
}

# ended PID: whether that process has ended.
ended() {
    ! kill -0 "$1" 2>/dev/null
}

# start_xvfb DIR [SIZE [OPTION...]]: starts Xvfb at SIZE (800x600x24 by default), with those
# options, on a display number it picks itself (so several can run side by side), exports
# DISPLAY and sets XVFB_PID. DIR holds its files.
start_xvfb() {
    local dir=$1 size=${2:-800x600x24}
    rm -f "$dir/display"  # a display number left by an earlier server is not this one's
    Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp "${@:3}" 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    xvfb_ready() { [[ -s $dir/display ]] || ! kill -0 "$XVFB_PID" 2>/dev/null; }
    if ! poll 10 xvfb_ready || [[ ! -s $dir/display ]]; then
        echo "Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$dir/display")"
}

# preload LIBRARY COMMAND...: becomes COMMAND, with LIBRARY preloaded: call it in the
# background (its $! is then the command's) or in a subshell. The loader splits LD_PRELOAD at
# spaces and colons, with no escape, so a path that may hold them never goes there: the
# library is opened on descriptor 7 and preloaded by that name.
preload() {
    local library=$1
    shift
    LD_PRELOAD=/proc/self/fd/7 exec "$@" 7<"$library"
}

# stop_pids PID...: ends the given processes, if still running, and waits for them. One that
# ignores SIGTERM for 2 s is killed outright, so a hung process never hangs its caller too.
stop_pids() {
    local pid
    for pid in "$@"; do
        [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    done
    for pid in "$@"; do
        [[ -n $pid ]] || continue
        poll 2 ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
