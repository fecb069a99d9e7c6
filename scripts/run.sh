#!/usr/bin/env bash
# Builds comets and runs it on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z ${DISPLAY:-} ]]; then
    cat >&2 <<'MSG'
comets needs an X display, and DISPLAY is not set.
Run it from a desktop session, or under a virtual display:
    xvfb-run -s '-screen 0 800x600x24' scripts/run.sh
MSG
    exit 1
fi
scripts/build.sh program
exec build/comets
