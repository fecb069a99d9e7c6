#!/usr/bin/env bash
# Installs what building needs and builds into build/: everything (the program, its tests
# and the benchmark), or with "program" the program and its installed files only, which a
# fresh machine builds in seconds. With a Debian architecture (arm64), it cross-builds for it
# into build-ARCH instead, with that architecture's libraries installed beside the host's
# and qemu to run what it builds: meant for the clean system of scripts/test-release.sh.
#   Usage: scripts/build.sh [program] [ARCH]
set -euo pipefail
cd "$(dirname "$0")/.."

mode=all arch=""
for argument in "$@"; do
    if [[ $argument == program ]]; then mode=program; else arch=$argument; fi
done

if [[ -z $arch ]]; then
    build=build
    options=()
    packages=(g++ cmake make pkg-config liballegro4-dev libx11-dev libxrender-dev libxrandr-dev)
    test_packages=(libgtest-dev libbenchmark-dev)
else
    [[ -f cmake/linux-$arch.cmake ]] || { echo "build: cannot build for '$arch'" >&2; exit 1; }
    build=build-$arch
    options=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/linux-$arch.cmake")
    packages=(crossbuild-essential-"$arch" cmake make qemu-user-static "pkgconf:$arch"
        "liballegro4-dev:$arch" "libx11-dev:$arch" "libxrender-dev:$arch" "libxrandr-dev:$arch" "libstdc++6:$arch")
    test_packages=("libgtest-dev:$arch" "libbenchmark-dev:$arch")
fi
if [[ $mode == program ]]; then
    scripts/deps.sh "${packages[@]}"
    extras=OFF
else
    scripts/deps.sh "${packages[@]}" "${test_packages[@]}"
    extras=ON
fi
# Warnings are errors here, for the code we change; a build of the source elsewhere has them
# as warnings only.
cmake -S . -B "$build" "${options[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOMETS_WERROR=ON \
    -DCOMETS_BUILD_TESTS=$extras -DCOMETS_BUILD_BENCH=$extras >/dev/null
cmake --build "$build" --parallel "$(nproc)"
