# As a screen saver: drawing into windows the test makes (one of 320x240, then made larger, one
# of 1x1, one destroyed under it, one that does not exist), then under xscreensaver 6 as its only display
# mode, on Xvfb and on X.Org with two monitors.
source "$(dirname "$0")/lib.sh"
command -v xscreensaver >/dev/null || skip "no xscreensaver"

# window W H: a window of that size at the top left corner, its id in $WINDOW, the process
# that keeps it in $WINDOW_PID.
window() {
    rm -f "$WORK/window"
    "$X11_PROBE" window "$1" "$2" >"$WORK/window" &
    WINDOW_PID=$!
    SERVER_PIDS+=("$WINDOW_PID")
    poll 5 test -s "$WORK/window" || fail "no ${1}x$2 window"
    WINDOW=$(cat "$WORK/window")
}

# expect_swarm "X Y W H" SECONDS "LEFT TOP RIGHT BOTTOM" FITTED WHERE: fails unless within
# SECONDS the picture in that rectangle of the screen changes, lit only within that part of it,
# and with FITTED ("fitted") beyond 800x600 there: scaled up, not cut off.
expect_swarm() {
    local rectangle=$1 seconds=$2 box=$3 fitted=$4 where=$5 first="" lit_box="none"
    local want_left want_top want_right want_bottom
    read -r want_left want_top want_right want_bottom <<<"$box"
    swarm_as_wanted() {
        local hash lit left top right bottom
        # shellcheck disable=SC2086
        read -r hash lit _ lit_box < <(snapshot $rectangle)
        ((lit > 0)) || return 1
        read -r left top right bottom <<<"$lit_box"
        ((left >= want_left && top >= want_top && right <= want_right && bottom <= want_bottom)) &&
            [[ $fitted != fitted || $((right - left)) -gt 800 || $((bottom - top)) -gt 600 ]] &&
            [[ -n $first && $hash != "$first" ]] && return
        first=$hash
        return 1
    }
    poll "$seconds" swarm_as_wanted ||
        fail "no moving swarm $where within $seconds s (wanted lit within $box, $fitted): lit at $lit_box"
}

start_xvfb "$WORK" 1024x768x24
window 320 240
COMETS_OPTIONS=(--window-id "$WINDOW")
start_comets 0
expect_swarm "0 0 1024 768" 2 "0 0 320 240" - "in a 320x240 window"
xdotool windowsize "$WINDOW" 1024 700
expect_swarm "0 0 1024 768" 2 "44 0 980 700" fitted "in that window made 1024x700"
kill "$WINDOW_PID"
expect_exit 0 2
[[ ! -s $WORK/err ]] || fail "the window destroyed under it, standard error was: $(cat "$WORK/err")"

window 1 1
COMETS_OPTIONS=(--window-id "$((WINDOW))")  # in decimal
start_comets 1
kill -TERM "$COMETS_PID"
expect_exit 143 2
[[ ! -s $WORK/err ]] || fail "in a 1x1 window, standard error was: $(cat "$WORK/err")"
stop_pids "$WINDOW_PID"

"$COMETS" --window-id 0x3fffffff >"$WORK/out" 2>"$WORK/err" && status=0 || status=$?
((status == 1)) && [[ $(wc -l <"$WORK/err") -eq 1 ]] && grep -q "no window 0x3fffffff" "$WORK/err" ||
    fail "a window that does not exist: status $status, standard error: $(cat "$WORK/err")"

# xscreensaver runs no display mode as root: then as nobody, with a copy of the program it can
# reach, and a home of its own.
mkdir -p "$WORK/bin" "$WORK/home"
cp "$COMETS" "$WORK/bin/comets"
chmod 755 "$WORK" "$WORK/bin"
cat >"$WORK/home/.xscreensaver" <<'CONFIG'
mode:		one
selected:	0
lock:		True
lockTimeout:	0:30:00
timeout:	0:30:00
fade:		False
unfade:		False
splash:		False
programs:	comets --root \n
CONFIG
as_user=(env HOME="$WORK/home" PATH="$WORK/bin:$PATH")
if (($(id -u) == 0)); then
    chown -R nobody:nogroup "$WORK/home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${as_user[@]}")
fi
start_xscreensaver() {
    "${as_user[@]}" xscreensaver -no-splash -verbose >"$WORK/xscreensaver.log" 2>&1 &
    SERVER_PIDS+=($!)
    poll 10 "${as_user[@]}" xscreensaver-command -time >/dev/null 2>&1 ||
        fail "xscreensaver did not start: $(tail -n 5 "$WORK/xscreensaver.log")"
}
saver() { "${as_user[@]}" xscreensaver-command "$@" >/dev/null 2>&1 || fail "xscreensaver -$1"; }
# The programs xscreensaver started, as it says in its log, and of those, the ones running: one
# that has ended may stay a while as a zombie, as xscreensaver ends before it is reaped.
started() { sed -n 's/.*forked "comets --root" in pid \([0-9]*\).*/\1/p' "$WORK/xscreensaver.log"; }
running() { for pid in $(started); do [[ $(ps -o stat= -p "$pid") == [^Z]* ]] && echo "$pid"; done; }
started_on_each() { (($(running | wc -l) == $1)); }

start_xscreensaver
saver -activate
expect_swarm "0 0 1024 768" 3 "0 0 1024 768" fitted "in xscreensaver's window"
saver -deactivate
poll 1 eval '[[ -z $(running) ]]' || fail "comets still runs 1 s after xscreensaver -deactivate"
saver -activate
poll 3 started_on_each 1 || fail "xscreensaver did not start comets again"
saver -lock
"${as_user[@]}" xscreensaver-command -time | grep -q "locked" ||
    fail "xscreensaver did not lock: $(tail -n 5 "$WORK/xscreensaver.log")"
started_on_each 1 || fail "comets did not run on while xscreensaver locked"
stop_pids "${SERVER_PIDS[@]}" "$XVFB_PID"
SERVER_PIDS=()

# One program a monitor, each picture fitted to its own monitor: 1920x1080 in a 1440x1080
# area, 1280x1024 in 1280x960, both centred.
start_xorg_two_monitors
start_xscreensaver
saver -activate
poll 3 started_on_each 2 || fail "not one comets a monitor: $(running | wc -l)"
expect_swarm "0 0 1920 1080" 3 "240 0 1680 1080" fitted "on the 1920x1080 monitor"
expect_swarm "1920 0 1280 1024" 3 "0 32 1280 992" fitted "on the 1280x1024 monitor"
echo "PASS: drawn into a 320x240 window, fitted again when it grew, and a 1x1 one, ended quietly with 0 when its window went" \
    "away and with 143 by SIGTERM, one line and 1 for a window that does not exist; under" \
    "xscreensaver 6 shown within 3 s of -activate, gone within 1 s of -deactivate, and running" \
    "on while it locked; one a monitor on two, each fitted"
