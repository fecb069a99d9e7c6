#!/usr/bin/env bash
# Unpacks Allegro 4.4.3.1's upstream source into DIR/src/allegro-4.4.3.1, from the tarball in
# Debian's archive (kept in DIR, fetched once, its checksum checked), and prints that path.
# The Windows and web builds compile the library from it.   Usage: scripts/allegro-source.sh DIR
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
tarball=allegro4.4_4.4.3.1.orig.tar.gz
tarball_sha256=ec19dbc9a021244582b4819b3583ee594b50141f9fcf6944a4ed8069cbf8d4d4
mkdir -p "$out"
if ! echo "$tarball_sha256  $out/$tarball" | sha256sum --check --status 2>/dev/null; then
    echo "allegro-source: fetching $tarball" >&2
    rm -f "$out/$tarball"
    # apt's own downloader: present wherever apt is, and it checks the hash.
    /usr/lib/apt/apt-helper -o Debug::NoDropPrivs=true download-file \
        "$(scripts/archive.sh)/pool/main/a/allegro4.4/$tarball" "$out/$tarball" \
        "SHA256:$tarball_sha256" >/dev/null
fi
rm -rf "$out/src"
mkdir -p "$out/src"
tar -C "$out/src" -xzf "$out/$tarball"
echo "$out/src/allegro-4.4.3.1"
