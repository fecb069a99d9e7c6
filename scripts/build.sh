#!/usr/bin/env bash
# Installs what building needs and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh g++ cmake make pkg-config liballegro4-dev libx11-dev libgtest-dev \
    libbenchmark-dev
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"
