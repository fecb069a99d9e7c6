#!/usr/bin/env bash
# Cross-builds comets for 64-bit Windows (x86-64) from the same source, with Debian's
# MinGW-w64. First Allegro 4.4.3.1 as a static library, from the upstream tarball in Debian's
# archive (its checksum checked) with the mends in scripts/windows/ applied; then comets.exe,
# which needs no DLL beyond Windows' own. Packs it with the README and the licences into
# build-windows/comets-VERSION-windows-x64.zip, the same to the byte for the same commit.
# Everything it fetches or makes stays in build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/library.sh

scripts/deps.sh cmake make patch zip git g++-mingw-w64-x86-64-win32

out=$PWD/build-windows
toolchain=$PWD/cmake/mingw-x86_64.cmake

# The library is built again only when the source, a mend, the toolchain or the compiler
# changes.
if library_wanted "$out/allegro" x86_64-w64-mingw32-gcc scripts/allegro-source.sh \
    scripts/windows/*.patch "$toolchain"; then
    rm -rf "$out/allegro-build" "$out/allegro"
    source=$(scripts/allegro-source.sh "$out")
    for mend in scripts/windows/*.patch; do
        patch --quiet -p1 -d "$source" <"$mend"
    done

    echo "build-windows: building Allegro (log: build-windows/allegro-build.log)"
    # Only the library itself. Its release build records no source path (only its debug build
    # uses __FILE__), so the folder it is built in does not reach the program.
    if ! {
        cmake -S "$source" -B "$out/allegro-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out/allegro" -DSHARED=off \
            -DWANT_EXAMPLES=off -DWANT_TOOLS=off -DWANT_TESTS=off -DWANT_DOCS=off \
            -DWANT_ALLEGROGL=off -DWANT_LOADPNG=off -DWANT_LOGG=off -DWANT_JPGALLEG=off
        cmake --build "$out/allegro-build" --parallel "$(nproc)"
        cmake --install "$out/allegro-build"
    } >"$out/allegro-build.log" 2>&1; then
        tail -n 30 "$out/allegro-build.log" >&2
        exit 1
    fi
    library_built "$out/allegro" "$source"
fi

echo "build-windows: building comets.exe"
cmake -S . -B "$out/comets" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCOMETS_WERROR=ON -DALLEGRO_ROOT="$out/allegro" >/dev/null
cmake --build "$out/comets" --parallel "$(nproc)"

stage "$out" "$out/comets" windows-x64
scripts/zip.sh "$out/stage" "$STAGE_NAME" "$out/$STAGE_NAME.zip"
echo "build-windows: build-windows/$STAGE_NAME.zip"
