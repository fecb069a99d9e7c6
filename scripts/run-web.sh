#!/usr/bin/env bash
# Builds the web page when its sources changed (scripts/build-web.sh), serves it on localhost
# as a plain static host would, and prints the address to open in a
# browser. Serves until Ctrl+C.   Usage: scripts/run-web.sh [PORT, default 8080]
set -euo pipefail
cd "$(dirname "$0")/.."
# Built again only when a source is newer than the site (made afresh by each build).
if [[ ! -f build-web/site/comets.wasm ]] || [[ -n $(find src web cmake scripts/build-web.sh \
    CMakeLists.txt -newer build-web/site -print -quit) ]]; then
    scripts/build-web.sh >&2
fi
echo "run-web: open this address in a browser; Ctrl+C ends it" >&2
exec /usr/bin/python3 scripts/serve-web.py build-web/site --port "${1:-8080}"
