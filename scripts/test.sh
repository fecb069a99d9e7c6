#!/usr/bin/env bash
# Builds everything and runs every test. The end-to-end tests start their own Xvfb, so no
# display is needed, and they leave no process behind.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
scripts/deps.sh xvfb xdotool
cd build
ctest --output-on-failure --parallel 2
