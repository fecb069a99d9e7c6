#!/usr/bin/env bash
# The web page in real browsers: builds the site, then runs browser_test.py on it, with the
# Xvfb that WebKitGTK draws on (the other engines run headless).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/common.sh"

"$root/scripts/build-web.sh"
work=$(mktemp -d)
XVFB_PID=""
trap 'stop_pids "$XVFB_PID"; rm -rf "$work"' EXIT
start_xvfb "$work" 1280x900x24
/usr/bin/python3 "$root/tests/web/browser_test.py" "$root/build-web/site"
