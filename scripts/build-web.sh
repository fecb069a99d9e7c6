#!/usr/bin/env bash
# Builds comets as a web page from the same source, with Debian's emscripten: Allegro 4.4.3.1
# from its upstream source (scripts/allegro-source.sh) with the library's web platform of
# web/allegro/ in place of its X11 one, then the program, whose frame loop runs on the page's
# own thread and gives it back at each display frame (ASYNCIFY), so that the page needs no
# shared memory and runs in every engine and from any static host. The result is a static site in build-web/site/ (the
# page, its scripts, the .wasm, the licences) and build-web/comets-VERSION-web.zip, the same to
# the byte for the same commit. Everything it fetches or makes stays in build-web/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh emscripten zip git librsvg2-bin

out=$PWD/build-web
# emcc's own tools need Debian's node modules, which a node of another origin does not find,
# and Debian's Python, whose modules it was packaged with. Its system libraries come prebuilt.
export NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
mkdir -p "$out"

# The library is built again only when its source or its web platform changes.
platform=(web/allegro/*.c web/allegro/*.h web/allegro/include/allegro/platform/*.h)
recipe=$(cat scripts/allegro-source.sh "${platform[@]}" | sha256sum)
library=$out/allegro/liballeg.a
if [[ $(cat "$out/allegro/recipe" 2>/dev/null) != "$recipe" ]]; then
    rm -rf "$out/allegro"
    source=$(scripts/allegro-source.sh "$out")
    mkdir -p "$out/allegro/objects"
    # The portable parts of the library: its own file lists, and three Unix files that need
    # no operating system of their own (files, and the empty sound and joystick lists).
    files=$(sed -n '/^set(ALLEGRO_SRC_\(C_\)\?FILES$/,/)/s/^ *\(src\/[^ ]*\.c\)$/\1/p' \
        "$source/cmake/FileList.cmake")
    echo "build-web: building Allegro (log: build-web/allegro-build.log)"
    # The platform's configuration headers come first, in place of those the library's own
    # build would generate. Its old code's warnings are not ours to mend.
    if ! printf '%s\n' $files src/unix/ufile.c src/unix/usnddrv.c src/unix/ujoydrv.c \
        "$PWD"/web/allegro/*.c | (cd "$source" && xargs -P "$(nproc)" -I {} sh -c \
            'emcc -c -O2 -w -DALLEGRO_SRC -I"$1/web/allegro/include" -Iinclude \
                -I"$1/web/allegro" "$2" -o "$3/$(basename "$2" .c).o"' \
            sh "$OLDPWD" {} "$out/allegro/objects") >"$out/allegro-build.log" 2>&1; then
        tail -n 30 "$out/allegro-build.log" >&2
        exit 1
    fi
    (cd "$out/allegro/objects" && emar rcs "$library" $(ls | LC_ALL=C sort))
    cp "$source/docs/txt/license.txt" "$out/allegro/allegro-licence.txt"
    echo "$recipe" >"$out/allegro/recipe"
fi

version=$(sed -n 's/^project(comets VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
echo "build-web: building comets.js and comets.wasm"
site=$out/site
rm -rf "$site"
mkdir -p "$site"
# ASYNCIFY lets main's loop wait for the page without returning. Only the functions that can
# be on the stack at such a wait are instrumented: those that reach the page's waits by direct
# calls are found by the analysis; rest() and its callers reach theirs through the timer
# driver's pointer, so they are named. EXIT_RUNTIME, so the page learns main's status; the
# page starts main itself (page.js says why).
exported=_main,_malloc,_exit,_web_take_frame,_web_frames_made,_web_key,_web_mouse,_web_close,_web_show_pointer
em++ -std=c++17 -O2 -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion \
    -Werror -Isrc -isystem web/allegro/include -isystem "$out/src/allegro-4.4.3.1/include" \
    -DCOMETS_VERSION="\"$version\"" src/swarm/spawn.cpp src/swarm/update.cpp src/swarm/draw.cpp \
    src/app/options.cpp src/app/startup.cpp src/app/frame.cpp src/app/picture_fit.cpp \
    src/app/main.cpp src/platform/posix/console.cpp src/platform/none/ending.cpp \
    src/platform/web/desktop.cpp "$library" \
    -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT -sASYNCIFY_ADD='["rest","*pace_frame*","*run_frame_loop*","main","__main_argc_argv","__original_main"]' \
    -sEXIT_RUNTIME=1 -sINITIAL_MEMORY=64MB -sENVIRONMENT=web -sEXPORTED_FUNCTIONS="$exported" \
    -sEXPORTED_RUNTIME_METHODS=HEAPU8,HEAPU32,ccall,lengthBytesUTF8,stringToUTF8 -o "$site/comets.js"
cp web/page/* data/comets.svg "$site/"
# The icon at the sizes an installed page is shown at.
for size in 192 512; do
    rsvg-convert -w "$size" -h "$size" data/comets.svg -o "$site/comets-$size.png"
done
cp LICENSE "$site/LICENSE.txt"
cp "$out/allegro/allegro-licence.txt" "$site/"

# The zip: fixed file times and modes, a fixed order, no owner, and times taken as UTC (a zip
# stores local time), so that the same commit always gives the same bytes.
name=comets-$version-web
rm -rf "$out/stage" "$out/$name.zip"
mkdir -p "$out/stage"
cp -r "$site" "$out/stage/$name"
(
    cd "$out/stage"
    find "$name" -type f -exec chmod 644 {} +
    find "$name" -exec touch -d "@${SOURCE_DATE_EPOCH:-$(git -C "$OLDPWD" log -1 --format=%ct)}" {} +
    find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -q "$out/$name.zip" -@
)
weight=0
for file in "$site"/*; do
    weight=$((weight + $(gzip -9 -c "$file" | wc -c)))
done
echo "build-web: build-web/site/ ($((weight / 1024)) KB gzipped) and build-web/$name.zip"
