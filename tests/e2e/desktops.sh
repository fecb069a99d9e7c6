# Sourced by the tests that run the program on a Wayland desktop, after lib.sh: starting the
# desktop sessions (GNOME's mutter, headless, with its buses and a keyboard through its
# RemoteDesktop API; sway with two headless monitors and a virtual pointer), apart from the
# cases run on them.

TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")/../tools" && pwd)

# XWayland puts its socket in /tmp/.X11-unix and mutter refuses a folder that is not
# world-writable and sticky, as it should be; an X server started there by root with umask
# 022 can have left it 1755, and one started by another user would make it that user's.
x11_socket_folder() {
    [[ -e /tmp/.X11-unix && $(stat -c %a /tmp/.X11-unix) == 1777 ]] && return
    if [[ $(id -u) -eq 0 ]]; then
        mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
    else
        sudo -n sh -c 'mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix' ||
            fail "/tmp/.X11-unix must be mode 1777 for XWayland; it is $(stat -c %a /tmp/.X11-unix)"
    fi
}

# start_bus NAME ARGUMENT...: a dbus-daemon of our own; its address lands in $WORK/NAME.
start_bus() {
    local name=$1
    shift
    dbus-daemon --nofork --print-address=3 "$@" 3>"$WORK/$name" &
    SERVER_PIDS+=($!)
    poll 5 test -s "$WORK/$name" || fail "dbus-daemon ($name) did not start"
}

# The buses: a private one stands in for the system bus, which mutter asks at start-up.
start_buses() {
    cat >"$WORK/system.conf" <<'CONF'
<busconfig>
  <type>system</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
    start_bus system.address --config-file="$WORK/system.conf"
    start_bus session.address --session
    BUS_PIDS=("${SERVER_PIDS[@]}")
    mkdir -m 700 "$WORK/runtime"
    export XDG_RUNTIME_DIR=$WORK/runtime
    # Settings of its own, from a file: no key repeat. The compositor repeats the keys of its
    # remote keyboard by itself, and at times goes on after they are released; a key that
    # repeats for ever in the terminal would make every new window lose the focus to it.
    mkdir -p "$WORK/config/glib-2.0/settings"
    printf '[org/gnome/desktop/peripherals/keyboard]\nrepeat=false\n' \
        >"$WORK/config/glib-2.0/settings/keyfile"
    export XDG_CONFIG_HOME=$WORK/config GSETTINGS_BACKEND=keyfile
    DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$WORK/system.address")
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$WORK/session.address")
    export DBUS_SYSTEM_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS
}

# A new compositor, with the keyboard: the one before, if any, is stopped first. Its first
# client writes out the session's environment (DISPLAY, XAUTHORITY, WAYLAND_DISPLAY), which
# this script then takes on.
start_gnome() {
    exec 8>&-
    stop_pids "${SERVER_PIDS[@]:${#BUS_PIDS[@]}}"
    SERVER_PIDS=("${BUS_PIDS[@]}")
    rm -f "$WORK/session" "$WORK/child.pid" "$WORK/keys"
    unset DISPLAY WAYLAND_DISPLAY
    mutter --headless --wayland --virtual-monitor 1280x720 -- sh -c \
        'echo $$ >"$1/child.pid"; env >"$1/session.partial"; mv "$1/session.partial" "$1/session"
         exec sleep 3600' sh "$WORK" >"$WORK/mutter.log" 2>&1 &
    SERVER_PIDS+=($!)
    if ! poll 20 test -s "$WORK/session"; then
        [[ ! -s $WORK/child.pid ]] || SERVER_PIDS+=("$(cat "$WORK/child.pid")")
        fail "mutter did not start: $(tail -n 5 "$WORK/mutter.log")"
    fi
    SERVER_PIDS+=("$(cat "$WORK/child.pid")")  # it writes its pid before the session
    local variable setting
    for variable in DISPLAY XAUTHORITY WAYLAND_DISPLAY; do
        setting=$(grep "^$variable=" "$WORK/session") || fail "the session has no $variable"
        export "$setting"
    done
    start_keyboard
}

# The keyboard: one RemoteDesktop session for the whole test, fed on descriptor 8.
start_keyboard() {
    mkfifo "$WORK/keys"
    exec 8<>"$WORK/keys"
    : >"$WORK/keyboard"
    /usr/bin/python3 "$TOOLS/remote_keys.py" <&8 >"$WORK/keyboard" 2>&1 &
    SERVER_PIDS+=($!)
    answers=0
    await_keyboard ready
    # The first key of a new session only sets up its keymap, and is lost: Shift, before
    # anything that could take it is started.
    press 42
    sleep 0.3
}

# await_keyboard WORD: waits until the keyboard's answers hold WORD one more time.
await_keyboard() {
    answered() {
        ! grep -q "^error" "$WORK/keyboard" || fail "keyboard: $(cat "$WORK/keyboard")"
        (($(grep -c "^$1" "$WORK/keyboard") > answers))
    }
    poll "$PATIENCE" answered "$1" || fail "the compositor did not take a key within $PATIENCE s"
    [[ $1 == ready ]] || ((++answers))
}

# key KEYCODE down|up, as Linux numbers keys (1 Esc, 25 P, 28 Return, 42 left Shift, 56 left
# Alt, 62 F4); returns once the compositor has taken it.
key() {
    echo "$1 $2" >&8
    await_keyboard ok
}

press() {
    key "$1" down
    sleep 0.2
    key "$1" up
}

# Under sway, which runs only as an ordinary user: as this one, or as nobody when this is
# root, who is then let into its XWayland. It picks the display; its first command writes out
# the session's environment.
start_sway() {
    local dir=$WORK/sway as=()
    mkdir -m 700 "$dir" "$dir/runtime"
    printf 'xhost +si:localuser:%s && env >"$1/session.partial" && mv "$1/session.partial" "$1/session"\n' \
        "$(id -un)" >"$dir/ready.sh"
    printf '%s\n' 'xwayland force' 'output HEADLESS-1 mode 1920x1080 position 0 0' \
        "output HEADLESS-2 mode 1280x1024 position 1920 0 bg '#336699' solid_color" \
        "exec sh $dir/ready.sh $dir" >"$dir/config"
    if [[ $(id -u) -eq 0 ]]; then
        chmod 711 "$WORK" && chown -R nobody:nogroup "$dir"
        as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    AS_SWAY=("${as[@]}" env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir/runtime")
    "${AS_SWAY[@]}" WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=2 WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman sway -c "$dir/config" >"$WORK/sway.log" 2>&1 &
    SWAY_PID=$!
    SERVER_PIDS+=("$SWAY_PID")
    poll 20 test -s "$dir/session" || fail "sway did not start: $(tail -n 5 "$WORK/sway.log")"
    export "$(grep '^DISPLAY=' "$dir/session")"
    unset XAUTHORITY
    AS_SWAY+=("$(grep '^WAYLAND_DISPLAY=' "$dir/session")" "$(grep '^SWAYSOCK=' "$dir/session")")
    # A pointer for it, through which its own cursor commands press buttons: headless it has
    # none, and XTest's buttons reach no X client under sway 1.12.
    "${AS_SWAY[@]}" /usr/bin/python3 -c "$(cat "$TOOLS/virtual_pointer.py")" \
        >"$WORK/pointer" 2>&1 &
    SERVER_PIDS+=($!)
    poll 10 grep -qs '^ready' "$WORK/pointer" ||
        fail "sway took no virtual pointer: $(cat "$WORK/pointer")"
}
