# Sourced by the Windows and web builds, which compile Allegro themselves and pack what they
# make: the library is built once for each recipe, and the result goes into a zip that is the
# same to the byte for the same commit.

# library_wanted DIR RECIPE...: whether the library in DIR must be built (again): unless it was
# built from these very files, with this very compiler (the command's version says which).
# Sets LIBRARY_RECIPE for library_built.
library_wanted() {
    local dir=$1 compiler=$2
    shift 2
    LIBRARY_RECIPE=$( ("$compiler" --version | head -n 1; cat "$@") | sha256sum)
    [[ $(cat "$dir/recipe" 2>/dev/null) != "$LIBRARY_RECIPE" ]]
}

# library_built DIR SOURCE: notes in DIR the recipe it was built from, beside the library's
# licence from SOURCE.
library_built() {
    cp "$2/docs/txt/license.txt" "$1/allegro-licence.txt"
    echo "$LIBRARY_RECIPE" >"$1/recipe"
}

# stage OUT BUILD PLATFORM: installs the CMake build BUILD into OUT/stage/NAME, where NAME is
# comets-VERSION-PLATFORM, and sets STAGE_NAME to it; scripts/zip.sh packs it from there.
stage() {
    local out=$1 build=$2 version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    STAGE_NAME=comets-$version-$3
    rm -rf "$out/stage"
    cmake --install "$build" --prefix "$out/stage/$STAGE_NAME" >/dev/null
}
