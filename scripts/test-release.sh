#!/usr/bin/env bash
# Runs the README's test command on a clean Debian system of another release, as a newcomer
# would: an ordinary user with passwordless sudo, in a fresh clone whose path holds a space
# and non-ASCII letters. The system is built on the fly into a temporary folder, from the
# Debian archive this machine's apt already uses, and entered with chroot inside private
# mount and process namespaces: whatever is mounted or started in there ends with the run.
# It tests the last commit, not uncommitted changes. Needs root, or sudo.
# With a Debian architecture the project cross-builds for (arm64: cmake/linux-ARCH.cmake),
# the system holds that architecture's libraries beside the host's, and the kernel hands its
# programs to qemu, in a registration private to the run: the suite runs on a cross-build
# for it, and its package is left in build-ARCH/.
#   Usage: scripts/test-release.sh RELEASE [ARCH] [COMMAND]
#   RELEASE: a Debian code name (forky, trixie, bookworm, ...); COMMAND, run in the clone as the
#   user, is scripts/test.sh (with ARCH: scripts/test.sh ARCH, then scripts/package.sh ARCH)
#   unless given.
set -euo pipefail
cd "$(dirname "$0")/.."
release=${1:?usage: scripts/test-release.sh RELEASE [ARCH] [COMMAND]}
arch=""
if [[ $# -gt 1 && -f cmake/linux-$2.cmake ]]; then
    arch=$2
    shift
fi
command=${2:-scripts/test.sh${arch:+ $arch && scripts/package.sh $arch}}
if [[ $(id -u) -ne 0 ]]; then
    exec sudo "$PWD/scripts/test-release.sh" "$release" $arch "${@:2}"
fi
user=newcomer
clone="/home/$user/my projects/comètes"
limit=40m  # the whole run inside; its tests have limits of their own, well below this

scripts/deps.sh mmdebstrap git curl
mirror=$(scripts/archive.sh)
# A release still in testing carries a Release file valid for a week only; a frozen copy of
# the archive serves it past that date, which apt refuses. For such a release alone, and only
# in the system built for this run (mmdebstrap leaves the option in its apt configuration, so
# the run's own installs accept it too), apt is told to take it anyway.
apt_options=()
valid_until=$(curl -fsS "$mirror/dists/$release/Release" | sed -n 's/^Valid-Until: //p')
if [[ -n $valid_until ]] && (($(date -d "$valid_until" +%s) < $(date +%s))); then
    echo "test-release: $release's Release file expired on $valid_until; accepted for this run"
    apt_options=(--aptopt='Acquire::Check-Valid-Until "false"')
fi
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
architectures=$(dpkg --print-architecture)${arch:+,$arch}
mmdebstrap --quiet --variant=apt --architectures="$architectures" "${apt_options[@]}" \
    --include=passwd,sudo,git,ca-certificates${arch:+,qemu-user-static} \
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
mounts='
    mount -t proc proc "$1/proc"
    mount --rbind /dev "$1/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$1/tmp"
    mkdir -m 1777 "$1/tmp/.X11-unix"'
enter='exec chroot "$1" runuser --login "$2" --command "$3"'
if [[ -z $arch ]]; then
    timeout --kill-after=30s "$limit" unshare --mount --pid --fork --kill-child \
        bash -euc "$mounts; $enter" _ "$root" "$user" "$inside"
else
    # A user namespace of its own as well, so that the binfmt_misc instance mounted in it,
    # and qemu's registration there, are the run's alone. Its users are the host's, one for
    # one, mapped from outside once it exists. The interpreter is opened when registered
    # (flag F), so it is named as seen from outside the system.
    cpu=$(sed -n 's/^set(CMAKE_SYSTEM_PROCESSOR \(.*\))$/\1/p' "cmake/linux-$arch.cmake")
    register='
        until [ -n "$(cat /proc/self/uid_map)" ]; do sleep 0.05; done
        '"$mounts"'
        mount -t binfmt_misc binfmt_misc "$1/proc/sys/fs/binfmt_misc"
        sed "s|:/usr/|:$1/usr/|" "$1/usr/lib/binfmt.d/qemu-$4.conf" \
            >"$1/proc/sys/fs/binfmt_misc/register"'
    unshare --user --mount --pid --fork --kill-child bash -euc "$register
        exec timeout --kill-after=30s $limit chroot \"\$1\" runuser --login \"\$2\" \
            --command \"\$3\"" _ "$root" "$user" "$inside" "$cpu" &
    namespace=$!
    until [[ $(readlink "/proc/$namespace/ns/user") != "$(readlink /proc/self/ns/user)" ]]; do
        sleep 0.05
    done
    echo "0 0 4294967295" >"/proc/$namespace/uid_map"
    echo "0 0 4294967295" >"/proc/$namespace/gid_map"
    wait "$namespace"
    mkdir -p "build-$arch"
    cp "$root$clone/build-$arch"/comets_*_"$arch".deb "build-$arch/"
    echo "test-release: left $(ls "build-$arch"/comets_*_"$arch".deb)"
fi
echo "test-release: passed on Debian $release${arch:+ ($arch)} as $user"
