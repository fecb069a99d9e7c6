#!/usr/bin/env bash
# The Windows build, end to end under 64-bit Wine, which needs no 32-bit support from the
# kernel: builds the zip with scripts/build-windows.sh, unpacks it, and runs its comets.exe
# on a private 800x600x24 Xvfb (the only screen size on which Wine can give it full screen).
# It must say it got 32 bits, show the swarm, freeze while P is held and end with status 0
# when Esc is held. Its comets.scr must run as a screen saver. Then builds the zip again from a
# copy of the tree, which must give the same bytes.   Usage: windows.sh SOURCE_DIR
source_dir=$1
COMETS=none  # set below, once there is a folder for it
source "$(dirname "$0")/lib.sh"
export WINEPREFIX=$WORK/wine WINEARCH=win64 WINEDEBUG=-all
# No offer to install Wine's .NET and HTML engines, which would wait for an answer.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's 64-bit loader itself: the `wine` command prefers the 32-bit one wherever that is
# installed, and a kernel without 32-bit support cannot run it.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
"$wine" --version >/dev/null 2>&1 || skip "Wine's 64-bit loader ($wine) cannot run here"
# Wine's server outlives its programs by a few seconds: end it too, if it is still there,
# before its prefix goes.
trap 'stop_pids "$COMETS_PID"; timeout 10 wineserver -k 2>/dev/null || true
      stop_pids "$XVFB_PID"; rm -rf "$WORK"' EXIT

"$source_dir/scripts/build-windows.sh" >"$WORK/build.log" 2>&1 ||
    { cat "$WORK/build.log" >&2; fail "the Windows build failed"; }
zip=$(ls "$source_dir"/build-windows/comets-*-windows-x64.zip)
(cd "$WORK" && cmake -E tar xf "$zip")
folder=$WORK/$(basename "$zip" .zip)
listing=$(cd "$folder" && ls | sort)
[[ $listing == "$(printf '%s\n' LICENSE.txt README.md allegro-licence.txt comets.exe comets.scr)" ]] ||
    fail "the zip holds:"$'\n'"$listing"

# The program as start_comets runs it: Wine with the unpacked .exe, or with the .scr.
COMETS=$WORK/comets
printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$wine" "$folder/comets.exe" >"$COMETS"
printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$wine" "$folder/comets.scr" >"$WORK/saver"
chmod +x "$COMETS" "$WORK/saver"

start_xvfb "$WORK"
timeout 120 "$wine" wineboot --init >/dev/null 2>&1 || fail "Wine could not make its prefix"
# The version and a usage error reach standard output and error, redirected here; a GUI
# program has no console of its own.
status=0
"$wine" "$folder/comets.exe" --version >"$WORK/out" 2>"$WORK/err" || status=$?
[[ $status -eq 0 && $(cat "$WORK/out") == "comets "[0-9]* ]] ||
    fail "--version: status $status, '$(cat "$WORK/out")'"
status=0
"$wine" "$folder/comets.exe" --fps 0 >"$WORK/out" 2>"$WORK/err" || status=$?
[[ $status -eq 2 ]] && grep -qx "Try 'comets --help'." "$WORK/err" ||
    fail "--fps 0: status $status, '$(cat "$WORK/err")'"

start_comets 1
out=$(cat "$WORK/out")
[[ $out == "GFX mode set with depth 32 bit" ]] || fail "stdout was '$out'"
read -r first lit colours < <(snapshot)
((lit > 5000 && colours > 50)) || fail "no swarm on the screen: $lit lit pixels, $colours colours"

# Wine may copy the last frame to the X screen a moment after it was presented.
xdotool keydown p
sleep 1.5
frozen=$(snapshot)
sleep 0.5
[[ $(snapshot) == "$frozen" ]] || fail "the picture changed while P was held"
xdotool keyup p
sleep 0.5
[[ $(snapshot) != "$frozen" ]] || fail "the picture did not move on after P was released"

hold_key Escape 0.2
expect_exit 0

# As a screen saver: /s full screen, on after a second without input (where the pointer was
# as it started is no movement), then ended with 0 by a key, or by the mouse moved; /c shows
# its message box, which Return closes; /p ends at once.
COMETS=$WORK/saver COMETS_OPTIONS=(/s)
for input in "key x" "mousemove_relative 40 30"; do
    start_comets 1
    read -r _ saver_lit _ < <(snapshot)
    ((saver_lit > 5000)) && ! ended "$COMETS_PID" || fail "comets.scr /s: no swarm, or it ended"
    # shellcheck disable=SC2086
    xdotool $input
    expect_exit 0
done
"$WORK/saver" /c >"$WORK/out" 2>&1 &
COMETS_PID=$!
poll 10 eval 'xdotool search --name "^comets$" >/dev/null' || fail "comets.scr /c: no message box"
xdotool key Return
expect_exit 0
timeout 10 "$WORK/saver" /p 1234 || fail "comets.scr /p: status $?"

# The same tree, built again in another folder (the library's tarball is not fetched again),
# gives the same zip to the byte.
copy="$WORK/another folder"
mkdir -p "$copy/build-windows"
tar -C "$source_dir" --exclude='./build*' -cf - . | tar -C "$copy" -xf -
cp "$source_dir"/build-windows/*.orig.tar.gz "$copy/build-windows/"
"$copy/scripts/build-windows.sh" >"$WORK/build.log" 2>&1 ||
    { cat "$WORK/build.log" >&2; fail "the Windows build failed in $copy"; }
cmp -s "$zip" "$copy/build-windows/${zip##*/}" || fail "two builds gave different zips"

echo "PASS: $(basename "$zip") under $("$wine" --version): --version and a usage error said;" \
    "32-bit mode, $lit lit pixels in $colours colours, frozen by P, ended by Esc with status" \
    "0; comets.scr as a screen saver ended by a key and by the mouse, /c and /p ended; built" \
    "twice, the same"
