#!/usr/bin/env bash
# Builds everything and runs every test. The end-to-end tests start their own Xvfb, so no
# display is needed, and they leave no process behind; the install tests stage an install
# and build the Debian package. Then the unit tests run once more under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
scripts/deps.sh xvfb xdotool desktop-file-utils appstream lintian dpkg-dev file groff-base \
    diffoscope-minimal x11-utils openbox mutter xwayland dbus-daemon python3-gi foot \
    fonts-dejavu-core
(cd build && ctest --output-on-failure --parallel 2)

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCOMETS_SANITIZE=ON \
    -DCOMETS_BUILD_BENCH=OFF >/dev/null
cmake --build build-sanitize --parallel "$(nproc)" --target unit_tests allocation_tests
(cd build-sanitize && ctest -L unit --output-on-failure --parallel 2)
