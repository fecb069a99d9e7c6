#!/usr/bin/env bash
# Builds the Debian package twice, from two copies of the source tree in different folders
# a moment apart, and checks that both are the same to the byte; then checks the package's
# control fields, its file list and lintian's verdict. With a Debian architecture, the same
# for a package cross-built for it.   Usage: package.sh SOURCE_DIR [ARCH]
set -euo pipefail
source_dir=$(cd "$1" && pwd)
arch=${2:-}
build=build${arch:+-$arch}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# build_copy FOLDER: copies the tree (its history included, as a clone has it, and no build
# folders) into FOLDER and packs it there with the README's command.
build_copy() {
    mkdir -p "$1"
    tar -C "$source_dir" --exclude='./build*' --exclude=./out -cf - . | tar -C "$1" -xf -
    "$1/scripts/package.sh" $arch >"$out/build.log" 2>&1 ||
        { cat "$out/build.log" >&2; fail "building in $1 failed"; }
}

build_copy "$out/first"
sleep 1
build_copy "$out/a/second/folder"
deb=$(ls "$out"/first/$build/comets_*.deb)
other=$out/a/second/folder/$build/$(basename "$deb")
if ! cmp -s "$deb" "$other"; then
    if command -v diffoscope >/dev/null; then
        diffoscope "$deb" "$other" >&2 || true
    else
        cmp -l "$deb" "$other" | head >&2 || true
    fi
    fail "two builds of the same tree gave different packages"
fi

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == comets ]] || fail "Package: $(field Package)"
[[ $(field Version) == 0.1.0 ]] || fail "Version: $(field Version)"
[[ $(field Section) == games ]] || fail "Section: $(field Section)"
architecture=${arch:-$(dpkg --print-architecture)}
[[ $(field Architecture) == "$architecture" ]] || fail "Architecture: $(field Architecture)"
program=$out/first/$build/comets
declare -A machines=([amd64]=x86-64 [arm64]=aarch64)
[[ $(file -b "$program") == *"${machines[$architecture]}"* ]] ||
    fail "the program is not an $architecture program: $(file -b "$program")"
[[ $(field Maintainer) == "The comets developers <comets@example.org>" ]] ||
    fail "Maintainer: $(field Maintainer)"
[[ $(field Description) == "swarm of comets to herd with the mouse"$'\n'* ]] ||
    fail "Description: $(field Description)"
# Depends must come from what the binary links: Allegro, Xlib, the C and C++ run-times, each
# named as the package that provides it on this release (Allegro's name changed with the
# 64-bit time_t transition, for one).
provider() {
    local path
    # The program's own loader lists them, its architecture's (through qemu, cross-built).
    path=$("$loader" --list "$program" | awk -v so="$1" '$1 == so { print $3 }')
    [[ -n $path ]] || fail "the program does not link $1"
    # Packages name a library by the folder they ship it in, /lib or /usr/lib, and by its
    # link name or its file's; the loader gives whichever it found.
    local candidate owner folder
    folder=$(realpath "$(dirname "$path")")
    for candidate in "$path" "$folder/${path##*/}" "$(realpath "$path")"; do
        if owner=$(dpkg -S "$candidate" 2>/dev/null); then
            echo "${owner%%[:,]*}"
            return
        fi
    done
    fail "no installed package provides $path"
}
loader=$(readelf -l "$program" | sed -n 's/.*interpreter: \(.*\)]$/\1/p')
depends=$(field Depends)
names=", $(sed 's/ ([^)]*)//g' <<<"$depends"), "
for library in liballeg.so.4.4 libX11.so.6 libc.so.6 libstdc++.so.6; do
    package=$(provider "$library")
    [[ $names == *", $package, "* ]] || fail "Depends lacks $package (for $library): $depends"
done

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
expected="./usr/games/comets
./usr/libexec/xscreensaver/comets
./usr/share/applications/comets.desktop
./usr/share/applications/screensavers/comets.desktop
./usr/share/doc/comets/changelog.gz
./usr/share/doc/comets/copyright
./usr/share/icons/hicolor/scalable/apps/comets.svg
./usr/share/man/man6/comets.6.gz
./usr/share/metainfo/org.example.comets.metainfo.xml
./usr/share/xscreensaver/config/comets.xml"
[[ $files == "$expected" ]] || fail "package files differ:"$'\n'"$files"

if command -v lintian >/dev/null; then
    verdict=0
    report=$(lintian --fail-on error,warning "$deb" 2>&1) || verdict=$?
    [[ $verdict -eq 0 ]] || fail "lintian reports problems:"$'\n'"$report"
fi
echo "PASS: $(basename "$deb") built twice, the same to the byte; Depends: $depends"
