#!/usr/bin/env bash
# Builds comets as a web page from the same source, with Debian's emscripten: Allegro 4.4.3.1
# from its upstream source (scripts/allegro-source.sh) with the library's web platform of
# web/allegro/ in place of its X11 one, then the program through CMake (emcmake), whose frame
# loop runs in a worker (or on the page's thread) and gives its thread back between frames
# (ASYNCIFY), so that the page needs no shared memory and runs in every engine and from any
# static host.
# The result is a static site in build-web/site/ (the page, its scripts, the .wasm, the
# licences) and build-web/comets-VERSION-web.zip (scripts/zip.sh), the same to the byte for
# the same commit. Everything it fetches or makes stays in build-web/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/library.sh

scripts/deps.sh emscripten cmake make zip git librsvg2-bin

out=$PWD/build-web
# emcc's own tools need Debian's node modules, which a node of another origin does not find,
# and Debian's Python, whose modules it was packaged with. Its system libraries come prebuilt.
export NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
mkdir -p "$out"

# The library is built again only when its source, its web platform or the compiler changes.
library=$out/allegro/lib/liballeg.a
if library_wanted "$out/allegro" emcc scripts/allegro-source.sh web/allegro/*.c web/allegro/*.h \
    web/allegro/include/allegro/platform/*.h; then
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
    mkdir -p "$out/allegro/lib"
    (cd "$out/allegro/objects" && emar rcs "$library" $(ls | LC_ALL=C sort))
    cp -r "$source/include" "$out/allegro/include"
    library_built "$out/allegro" "$source"
fi

echo "build-web: building comets.js and comets.wasm"
# The program from the same source list and flags as on the desktop (CMakeLists.txt, with
# cmake/Web.cmake and cmake/PackagingWeb.cmake for what the browser needs).
emcmake cmake -S . -B "$out/comets" -DCMAKE_BUILD_TYPE=Release -DCOMETS_WERROR=ON \
    -DALLEGRO_ROOT="$out/allegro" >/dev/null
cmake --build "$out/comets" --parallel "$(nproc)"
stage "$out" "$out/comets" web
# The icon at the sizes an installed page is shown at.
for size in 192 512; do
    rsvg-convert -w "$size" -h "$size" data/comets.svg \
        -o "$out/stage/$STAGE_NAME/comets-$size.png"
done
scripts/zip.sh "$out/stage" "$STAGE_NAME" "$out/$STAGE_NAME.zip"
site=$out/site
rm -rf "$site"
cp -r "$out/stage/$STAGE_NAME" "$site"
weight=0
for file in "$site"/*; do
    weight=$((weight + $(gzip -9 -c "$file" | wc -c)))
done
echo "build-web: build-web/site/ ($((weight / 1024)) KB gzipped) and build-web/$STAGE_NAME.zip"
