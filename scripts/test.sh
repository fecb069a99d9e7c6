#!/usr/bin/env bash
# Builds everything and runs every test. The end-to-end tests start their own Xvfb, so no
# display is needed, and they leave no process behind; the install tests stage an install
# and build the Debian package. Then the unit tests run once more under AddressSanitizer
# and UndefinedBehaviorSanitizer, and once more under ThreadSanitizer. With a Debian
# architecture (arm64), all of that but ThreadSanitizer on a cross-build for it, whose
# programs run under qemu: meant for the clean system of scripts/test-release.sh, where the
# kernel hands that architecture's programs to qemu.
#   Usage: scripts/test.sh [ARCH]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build${1:+-$1}

scripts/build.sh "$@"
scripts/deps.sh xvfb xdotool desktop-file-utils appstream lintian dpkg-dev file groff-base man-db \
    diffoscope-minimal x11-utils openbox mutter xwayland dbus-daemon python3-gi foot \
    fonts-dejavu-core sway grim x11-xserver-utils imagemagick xserver-xorg-core \
    xserver-xorg-video-dummy xscreensaver xscreensaver-data
if [[ $# -gt 0 ]]; then
    # The sanitizers' run-times of the target, where its loader looks; LeakSanitizer cannot
    # follow threads under qemu's user-mode emulation.
    scripts/deps.sh "libasan8:$1" "libubsan1:$1"
    export LSAN_OPTIONS=detect_leaks=0
fi
(cd "$build" && ctest --output-on-failure --parallel 2)

toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$build/CMakeCache.txt")
cmake -S . -B "$build-sanitize" ${toolchain:+-DCMAKE_TOOLCHAIN_FILE="$toolchain"} \
    -DCMAKE_BUILD_TYPE=Debug -DCOMETS_WERROR=ON -DCOMETS_SANITIZE=ON -DCOMETS_BUILD_BENCH=OFF \
    >/dev/null
cmake --build "$build-sanitize" --parallel "$(nproc)" --target unit_tests allocation_tests
(cd "$build-sanitize" && ctest -L unit --output-on-failure --parallel 2)

# And under ThreadSanitizer, here only: it cannot run under qemu's user-mode emulation. The
# unit tests, then the program itself, its threads beside the library's, in the short
# end-to-end cases that start them all: start-up and Esc, the hand-over under openbox, focus
# lost and back, SIGTERM in a stalled mode set, re-fits to new sizes. Any report fails. The
# allocation tests replace the allocator, which it needs for itself.
if [[ $# -eq 0 ]]; then
    cmake -S . -B "$build-threads" -DCMAKE_BUILD_TYPE=Debug -DCOMETS_WERROR=ON \
        -DCOMETS_SANITIZE_THREADS=ON >/dev/null
    cmake --build "$build-threads" --parallel "$(nproc)" \
        --target unit_tests comets x11_probe refuse count_frames
    reports=$(mktemp -d)
    trap 'rm -rf "$reports"' EXIT
    # The paths quoted: the options are split at spaces, which a clone's path may hold.
    export TSAN_OPTIONS="halt_on_error=1 allocator_may_return_null=1 \
suppressions='$PWD/tests/tsan.supp' log_path='$reports/report'"
    status=0
    "$build-threads/tests/unit_tests" --gtest_brief=1 || status=$?
    (cd "$build-threads" && ctest -R '^e2e[.](quit_on_esc|window_managers)$' --output-on-failure) ||
        status=$?
    if compgen -G "$reports/report*" >/dev/null; then
        cat "$reports"/report* >&2
        echo "test: ThreadSanitizer reported the above" >&2
        exit 1
    fi
    exit "$status"
fi
