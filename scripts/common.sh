# Sourced by the scripts and tests that run comets on a private virtual display.
# start_xvfb DIR: starts Xvfb at 800x600, 24-bit, on a display number it picks itself (so
# several can run side by side), exports DISPLAY and sets XVFB_PID. DIR holds its files.
start_xvfb() {
    local dir=$1 tries=0
    rm -f "$dir/display"  # a display number left by an earlier server is not this one's
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    until [[ -s $dir/display ]]; do
        if ((++tries > 100)) || ! kill -0 "$XVFB_PID" 2>/dev/null; then
            echo "Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
            return 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$dir/display")"
}

# stop_pids PID...: ends the given processes, if still running, and waits for them. One that
# ignores SIGTERM for 2 s is killed outright, so a hung process never hangs its caller too.
stop_pids() {
    local pid tries
    for pid in "$@"; do
        [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    done
    for pid in "$@"; do
        [[ -n $pid ]] || continue
        tries=0
        while kill -0 "$pid" 2>/dev/null && ((++tries <= 20)); do
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
