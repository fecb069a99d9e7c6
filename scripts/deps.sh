#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet.
# Uses sudo when not run as root; does nothing (and needs no network) when all are there. A
# name may carry an architecture (libasan8:arm64), which is then enabled if it is not yet.
set -euo pipefail

missing=()
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "deps: need root or sudo to install ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi
echo "deps: installing ${missing[*]}"
# A package of another architecture (libasan8:arm64) needs that architecture enabled first.
for package in "${missing[@]}"; do
    architecture=${package#*:}
    if [[ $package == *:* ]] && [[ $architecture != "$(dpkg --print-architecture)" ]] &&
        ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
        "${as_root[@]}" dpkg --add-architecture "$architecture"
    fi
done
# Passed on the command line: sudo drops the caller's environment.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
