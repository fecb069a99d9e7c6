#!/usr/bin/env bash
# Prints the address of the Debian archive this machine's apt installs from, as its sources
# name it. Scripts that fetch from the archive themselves ask here, so no host is written
# into the repository.
set -euo pipefail
archive=$(apt-get indextargets --format '$(ORIGIN) $(CODENAME) $(REPO_URI)' 'Identifier: Packages' |
    awk '$1 == "Debian" && $2 !~ /-/ { print $3; exit }')
if [[ -z $archive ]]; then
    echo "archive: no Debian archive in this machine's apt sources" >&2
    exit 1
fi
echo "${archive%/}"
