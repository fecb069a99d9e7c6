#!/usr/bin/env bash
# Installs the build into a staging folder, as a package would under /usr, and checks the
# tree: the program, its man page, menu entry, icon, AppStream metadata and docs, and its
# screen saver's mode, description and entry, each valid, and nothing else.   Usage: staged_install.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
cd "$stage/usr"

expected="games/comets
libexec/xscreensaver/comets
share/applications/comets.desktop
share/applications/screensavers/comets.desktop
share/doc/comets/changelog.gz
share/doc/comets/copyright
share/icons/hicolor/scalable/apps/comets.svg
share/man/man6/comets.6.gz
share/metainfo/org.example.comets.metainfo.xml
share/xscreensaver/config/comets.xml"
actual=$(find . -type f -o -type l | sed 's|^\./||' | sort)
[[ $actual == "$expected" ]] || fail "installed files differ:"$'\n'"$actual"

[[ -x games/comets ]] || fail "the program is not executable"
# The screen saver's display mode is the program, however the tree is moved.
[[ $(readlink libexec/xscreensaver/comets) == ../../games/comets ]] ||
    fail "the display mode is not a relative link to the program"
for file in $(find share -type f); do
    [[ $(stat -c %a "$file") == 644 ]] || fail "$file has mode $(stat -c %a "$file")"
done

for entry in share/applications/comets.desktop share/applications/screensavers/comets.desktop; do
    desktop-file-validate --no-hints "$entry" || fail "invalid desktop entry $entry"
done
grep -qx "Exec=/usr/libexec/xscreensaver/comets --root" \
    share/applications/screensavers/comets.desktop || fail "the saver's entry runs something else"
grep -qx "Exec=comets" share/applications/comets.desktop || fail "menu entry runs something else"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic share/metainfo/org.example.comets.metainfo.xml ||
        fail "invalid AppStream metadata"
fi

# The man page formats without a single warning, and says what a user needs.
page=$(zcat share/man/man6/comets.6.gz | groff -man -Tutf8 -ww 2>&1 >/dev/null)
[[ -z $page ]] || fail "man page warnings: $page"
# As man shows it to a reader: each message the program prints whole on a line of its own.
text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l share/man/man6/comets.6.gz 2>/dev/null)
for message in "GFX mode set with depth N bit" "Unable to set GFX mode"; do
    grep -qx " *$message" <<<"$text" || fail "the man page does not show '$message' as printed"
done
for topic in CONTROLS "EXIT STATUS" DISPLAY Esc SIGTERM 143; do
    grep -q "$topic" <<<"$text" || fail "the man page does not mention $topic"
done
zcat share/doc/comets/changelog.gz | head -n 1 | grep -q "^comets (0.1.0)" || fail "changelog"
grep -q "^License: Expat" share/doc/comets/copyright &&
    grep -q "Permission is hereby granted, free of charge" share/doc/comets/copyright ||
    fail "the copyright file does not carry the licence"
echo "PASS: staged install holds the program, man page, menu entry, icon, metadata and docs"
