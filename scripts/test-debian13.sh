#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the test command (scripts/test.sh) once more on Debian 13, in a Debian 13 tree
# made with debootstrap from the Debian archive this machine's apt uses:
#
#   bash scripts/test-debian13.sh [CTEST ARGUMENTS...]
#   bash scripts/test-debian13.sh --prepare
#
# --prepare only makes the tree and installs in it what the test command needs (CI does
# this beside the test command on this machine, where it mostly waits for the network).
# The tree, build-debian13/root (about 5 GB once set up and built in), is made on the first run and
# reused by later ones; delete build-debian13/ to start afresh. Each run copies the
# checkout (tracked files and new ones, as they are now, without the ignored build
# trees) to /src/orvane2 in the tree and builds and tests there, so this machine's own
# build trees stay untouched, and the builds in the tree are reused on the next run.
# The sanitizer, ThreadSanitizer and fuzzing stages are left to the host's run. CTest
# arguments, such as -R package, select the tests of the Linux and Windows builds.
#
# The tests run as the tree's root in a private mount and PID namespace: the tree is
# the root directory (pivot_root), with this machine's /sys, /dev and /dev/pts, its own
# /proc, a tmpfs /dev/shm (the Wayland desktop's buffers) and /run, and an empty /tmp. Every mount and every
# process of the run lives only in that namespace and ends with it, also on failure.
# Needs root (or sudo) and the network to the Debian archive.
set -euo pipefail
prepare=0; [[ ${1:-} != --prepare ]] || { prepare=1; shift; }
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [[ $(id -u) -ne 0 ]]; then exec sudo bash "${BASH_SOURCE[0]}" "$@"; fi
dir=$root/build-debian13
tree=$dir/root
start=$SECONDS

if [[ ! -x $tree/usr/bin/apt-get ]]; then
    # The archive of this machine's own release, as apt's sources name it.
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(apt-get indextargets --format '$(REPO_URI)' "Release: $codename" "Identifier: Packages" | head -n1)
    [[ -n $mirror ]] || { echo "apt's sources name no archive of $codename" >&2; exit 1; }
    command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap
    rm -rf "$tree.new"
    debootstrap --variant=minbase trixie "$tree.new" "$mirror"
    mv "$tree.new" "$tree"
fi
made=$SECONDS

# Name resolution for apt as on this machine, localhost for the tests, no services
# started by the packages' installation (nothing runs an init system in the tree), and
# no flush to disk after each file dpkg unpacks (a tree made again at will needs none).
cp -L /etc/resolv.conf "$tree/etc/resolv.conf"
grep -qsw localhost "$tree/etc/hosts" || printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' >>"$tree/etc/hosts"
printf '#!/bin/sh\nexit 101\n' >"$tree/usr/sbin/policy-rc.d" && chmod 755 "$tree/usr/sbin/policy-rc.d"
echo force-unsafe-io >"$tree/etc/dpkg/dpkg.cfg.d/unsafe-io"

# The checkout as it is now; the build trees in the copy stay for the next run.
src=$tree/src/orvane2
mkdir -p "$src"
find "$src" -mindepth 1 -maxdepth 1 ! -name 'build*' -exec rm -rf {} +
if [[ -d $root/.git ]]; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        tar -C "$root" --null -T - --ignore-failed-read -cf - | tar -C "$src" -xf -
else
    tar -C "$root" --exclude='./build*' -cf - . | tar -C "$src" -xf -
fi

# Runs in the new namespaces: mounts, makes the tree the root directory, runs the tests.
inside='set -euo pipefail
tree=$1 && shift
mount --bind "$tree" "$tree"
mount -t proc proc "$tree/proc"
mount --bind /sys "$tree/sys"
mount --bind /dev "$tree/dev"
mount --bind /dev/pts "$tree/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$tree/dev/shm"
mount -t tmpfs -o mode=755,nosuid,nodev run "$tree/run"
mkdir -p "$tree/.oldroot"
cd "$tree" && pivot_root . .oldroot && cd / && umount -l /.oldroot
find /tmp -mindepth 1 -delete
cd /src/orvane2
set_up=$SECONDS
dpkg --configure -a # a set-up cut short before
bash scripts/setup.sh && bash scripts/build-windows.sh --setup
echo "Debian 13: set-up $((SECONDS - set_up)) s"
[ "$prepare" = 1 ] || ORVANE2_NO_SANITIZERS=1 bash scripts/test.sh "$@"'
status=0
env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    TERM="${TERM:-dumb}" prepare=$prepare unshare --mount --propagation private --pid --fork --kill-child \
    bash -c "$inside" inside "$tree" "$@" || status=$?
echo "Debian 13$( ((prepare)) && echo ", prepared"): tree $((made - start)) s, set-up and test command $((SECONDS - made)) s, exit status $status"
exit "$status"
