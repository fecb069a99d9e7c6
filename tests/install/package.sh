#!/usr/bin/env bash
# Builds the Debian package and checks its control fields, its file list and lintian's
# verdict.   Usage: package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$out"/comets_*.deb)

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == comets ]] || fail "Package: $(field Package)"
[[ $(field Version) == 0.1.0 ]] || fail "Version: $(field Version)"
[[ $(field Section) == games ]] || fail "Section: $(field Section)"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture"
[[ $(field Maintainer) =~ ^.+\ \<.+@.+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ $(field Description) == "swarm of comets to herd with the mouse"$'\n'* ]] ||
    fail "Description: $(field Description)"
# Depends must come from what the binary links: Allegro, Xlib, the C and C++ run-times.
depends=$(field Depends)
names=", $(sed 's/ ([^)]*)//g' <<<"$depends"), "
for library in liballegro4.4 libx11-6 libc6 libstdc++6; do
    [[ $names == *", $library, "* ]] || fail "Depends lacks $library: $depends"
done

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
expected="./usr/games/comets
./usr/share/applications/comets.desktop
./usr/share/doc/comets/changelog.gz
./usr/share/doc/comets/copyright
./usr/share/icons/hicolor/scalable/apps/comets.svg
./usr/share/man/man6/comets.6.gz
./usr/share/metainfo/org.example.comets.metainfo.xml"
[[ $files == "$expected" ]] || fail "package files differ:"$'\n'"$files"

if command -v lintian >/dev/null; then
    verdict=0
    report=$(lintian --fail-on error,warning "$deb" 2>&1) || verdict=$?
    [[ $verdict -eq 0 ]] || fail "lintian reports problems:"$'\n'"$report"
fi
echo "PASS: $(basename "$deb"): Depends: $depends"
