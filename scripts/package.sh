#!/usr/bin/env bash
# Builds the program and its Debian package, build/comets_<version>_<arch>.deb, or with a
# Debian architecture (arm64) cross-built for it, build-ARCH/comets_<version>_ARCH.deb. Built
# from the same commit, the package is the same to the byte wherever and whenever it is built.
#   Usage: scripts/package.sh [ARCH]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh program "$@"
scripts/deps.sh dpkg-dev file
# CPack gives the package's own members the builder's umask.
umask 022
(cd "build${1:+-$1}" && cpack -G DEB)
