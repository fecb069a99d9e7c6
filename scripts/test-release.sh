#!/usr/bin/env bash
# Runs the README's test command on a clean Debian system of another release, as a newcomer
# would: an ordinary user with passwordless sudo, in a fresh clone whose path holds a space
# and non-ASCII letters. The system is built on the fly into a temporary folder, from the
# Debian archive this machine's apt already uses, and entered with chroot inside private
# mount and process namespaces: whatever is mounted or started in there ends with the run.
# It tests the last commit, not uncommitted changes. Needs root, or sudo.
#   Usage: scripts/test-release.sh RELEASE [COMMAND]
#   RELEASE: a Debian code name (trixie, bookworm, ...); COMMAND, run in the clone as the
#   user, is scripts/test.sh unless given.
set -euo pipefail
cd "$(dirname "$0")/.."
release=${1:?usage: scripts/test-release.sh RELEASE [COMMAND]}
command=${2:-scripts/test.sh}
if [[ $(id -u) -ne 0 ]]; then
    exec sudo "$PWD/scripts/test-release.sh" "$@"
fi
user=newcomer
clone="/home/$user/my projects/comètes"
limit=40m  # the whole run inside; its tests have limits of their own, well below this

scripts/deps.sh mmdebstrap git
mirror=$(scripts/archive.sh)
root=$(mktemp -d -t "comets-$release.XXXXXX")
# Everything inside ran in namespaces that are gone by now; this only makes sure. Processes
# are found by their root folder, not by user: the user's uid may be someone else's outside.
# A mount left inside would be unmounted before the removal, which never crosses into one.
cleanup() {
    local process mount
    for process in /proc/[0-9]*; do
        case $(readlink "$process/root" 2>/dev/null) in
            "$root" | "$root"/*) kill -KILL "${process#/proc/}" 2>/dev/null || true ;;
        esac
    done
    awk -v root="$root" 'index($2, root "/") == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r mount; do umount -l "$mount" || true; done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "test-release: building a clean Debian $release system"
mmdebstrap --quiet --variant=apt --include=passwd,sudo,git,ca-certificates \
    "$release" "$root" "$mirror"
# No init runs in there, so packages must not try to start services.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
# As on an installed system, the machine's own name resolves (sudo looks it up).
printf '127.0.0.1 localhost\n127.0.1.1 %s\n' "$(hostname)" >"$root/etc/hosts"
chroot "$root" useradd --create-home --shell /bin/bash "$user"
echo "$user ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/$user"
chmod 440 "$root/etc/sudoers.d/$user"

# A copy of the objects, not hard links: the clone's owner changes below.
git clone --quiet --no-hardlinks "$PWD" "$root$clone"
chroot "$root" chown -R "$user:$user" "/home/$user"

echo "test-release: running $command as $user in '$clone' on Debian $release"
inside="export LANG=C.UTF-8; cd $(printf %q "$clone") && $command"
# The namespaces' first process mounts what the system needs, then runs the command; when it
# ends, the kernel ends every process and drops every mount it left.
timeout --kill-after=30s "$limit" unshare --mount --pid --fork --kill-child \
    bash -euc '
        mount -t proc proc "$1/proc"
        mount --rbind /dev "$1/dev"
        mount -t tmpfs -o mode=1777 tmpfs "$1/tmp"
        mkdir -m 1777 "$1/tmp/.X11-unix"
        exec chroot "$1" runuser --login "$2" --command "$3"
    ' _ "$root" "$user" "$inside"
echo "test-release: passed on Debian $release as $user"
