#!/usr/bin/env bash
# Installs what building needs and builds into build/: everything (the program, its tests
# and the benchmark), or with "program" the program and its installed files only, which a
# fresh machine builds in seconds.   Usage: scripts/build.sh [program]
set -euo pipefail
cd "$(dirname "$0")/.."

program_packages=(g++ cmake make pkg-config liballegro4-dev libx11-dev)
if [[ ${1:-} == program ]]; then
    scripts/deps.sh "${program_packages[@]}"
    extras=OFF
else
    scripts/deps.sh "${program_packages[@]}" libgtest-dev libbenchmark-dev
    extras=ON
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCOMETS_BUILD_TESTS=$extras -DCOMETS_BUILD_BENCH=$extras >/dev/null
cmake --build build --parallel "$(nproc)"
