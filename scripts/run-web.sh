#!/usr/bin/env bash
# Builds the web page when its sources changed (scripts/build-web.sh), serves it on localhost
# with the headers that make it cross-origin isolated, and prints the address to open in a
# browser. Serves until Ctrl+C.   Usage: scripts/run-web.sh [PORT, default 8080]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-web.sh >&2
echo "run-web: open this address in a browser; Ctrl+C ends it" >&2
exec /usr/bin/python3 scripts/serve-web.py build-web/site --port "${1:-8080}"
