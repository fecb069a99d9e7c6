#!/usr/bin/env bash
# Packs the folder STAGE/NAME into the zip ZIP, the same to the byte for the same commit:
# fixed modes (644, or 755 where executable), file times of the last commit (or
# SOURCE_DATE_EPOCH), taken as UTC (a zip stores local time), a fixed order and no owner. The
# Windows and web builds pack with it.   Usage: scripts/zip.sh STAGE NAME ZIP
set -euo pipefail
stage=$1 name=$2 zip=$3
time=${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$0")" log -1 --format=%ct)}
rm -f "$zip"
cd "$stage"
find "$name" -type f -perm -u+x -exec chmod 755 {} +
find "$name" -type f ! -perm -u+x -exec chmod 644 {} +
find "$name" -exec touch -d "@$time" {} +
find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -q "$zip" -@
