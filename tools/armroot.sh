#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# The arm64 test root: a Debian testing tree for aarch64 whose python3 runs
# under user-mode emulation (qemu-aarch64 from the development root). Built
# once outside the work tree and reused until tools/armroot-packages.txt
# changes.
#
#   tools/armroot.sh ensure        build the root if it is missing or stale
#   tools/armroot.sh run CMD...    run CMD inside the root, in this work tree
#   tools/armroot.sh pyconfig DIR  copy the root's aarch64-linux-gnu/python3.X
#                                  headers (pyconfig.h) into DIR, for the wheel
#
# Building: debootstrap's first stage resolves and downloads the packages, and
# then every package is unpacked natively. The emulated second stage (every
# maintainer script run under qemu, about 24 minutes) is skipped: a Python
# interpreter with pure-Python packages needs none of them, apart from the
# account files and the linker cache, done below.
#
# Needs root (debootstrap, binfmt_misc, mount namespaces, chroot). The Debian
# mirror is read from the host's own apt configuration.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
armroot=${CHRONEXA_ARMROOT:-/var/tmp/chronexa-armroot}
devroot=${CHRONEXA_DEVROOT:-/var/tmp/chronexa-devroot}
list="$top/tools/armroot-packages.txt"
# Bump when the way the root is made changes.
recipe=1

packages() { sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list" | tr -d ' \t'; }
stamp() { { packages; echo "suite=testing arch=arm64 recipe=$recipe"; } | sha256sum | cut -d' ' -f1; }
mirror() { "$top/tools/devroot.sh" mirror; }

# The kernel runs aarch64 programs through qemu-aarch64 (a static binary) once
# it is registered with binfmt_misc. The F flag opens the emulator now, so
# that it also runs inside the chroot, where its path does not exist.
# Programs the tests start (sys.executable in a subprocess) need this too.
binfmt() {
  local dir=/proc/sys/fs/binfmt_misc name=chronexa-aarch64 e
  [ -e "$dir/status" ] || mount -t binfmt_misc binfmt_misc "$dir"
  for e in "$dir"/*; do
    case "$(basename "$e")" in register | status) continue ;; esac
    grep -q '^magic 7f454c460201010000000000000000000200b700' "$e" 2>/dev/null &&
      grep -q '^enabled' "$e" && grep -q '^flags:.*F' "$e" && return 0
  done
  [ -x "$devroot/usr/bin/qemu-aarch64" ] || "$top/tools/devroot.sh" ensure
  local qemu=/var/tmp/chronexa-qemu-aarch64
  cp "$devroot/usr/bin/qemu-aarch64" "$qemu.new" && mv "$qemu.new" "$qemu"
  printf '%s' ":$name:M::\\x7fELF\\x02\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\xb7\\x00:\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$qemu:F" \
    >"$dir/register"
}

ensure() {
  local want
  want=$(stamp)
  if [ -f "$armroot/.chronexa-stamp" ] && [ "$(cat "$armroot/.chronexa-stamp")" = "$want" ]; then
    binfmt
    return 0
  fi
  [ "$(id -u)" = 0 ] || { echo "armroot: building the root needs root" >&2; exit 1; }
  command -v debootstrap >/dev/null || apt-get install -y -q debootstrap >/dev/null
  local m new t0=$SECONDS
  m=$(mirror)
  new="$armroot.new"
  echo "armroot: building $armroot (Debian testing, arm64) from the host's mirror" >&2
  rm -rf "$new"
  debootstrap --arch=arm64 --foreign --variant=minbase --include="$(packages | paste -sd, -)" \
    testing "$new" "$m" /usr/share/debootstrap/scripts/sid >"$new.log" 2>&1 || {
    tail -n 30 "$new.log" >&2; echo "armroot: debootstrap failed (log: $new.log)" >&2; exit 1
  }
  # The first stage unpacked the essential packages and merged /usr; unpack
  # the rest the same way, keeping the /bin -> usr/bin style links.
  local deb
  for deb in "$new"/var/cache/apt/archives/*.deb; do
    dpkg-deb --fsys-tarfile "$deb" | tar -x --keep-directory-symlink -C "$new"
  done
  rm -rf "$new/debootstrap" "$new"/var/cache/apt/archives/*.deb
  # What base-passwd's maintainer script would write.
  [ -s "$new/etc/passwd" ] || cp "$new/usr/share/base-passwd/passwd.master" "$new/etc/passwd"
  [ -s "$new/etc/group" ] || cp "$new/usr/share/base-passwd/group.master" "$new/etc/group"
  binfmt
  chroot "$new" /sbin/ldconfig
  chroot "$new" /usr/bin/python3 -c '
import platform, sys
assert sys.version_info[:2] == (3, 14), sys.version
assert platform.machine() == "aarch64", platform.machine()
import pytest, hypothesis' || { echo "armroot: the root's python3 is not a working CPython 3.14 on aarch64" >&2; exit 1; }
  echo "$want" >"$new/.chronexa-stamp"
  rm -rf "$armroot" "$new.log"
  mv "$new" "$armroot"
  echo "armroot: built in $((SECONDS - t0)) s" >&2
}

run() {
  ensure
  unshare -m -- /bin/bash -euc '
    r=$1; t=$2; shift 2
    mount --make-rprivate /
    mkdir -p "$r$t"
    mount --bind "$t" "$r$t"
    mount -t proc proc "$r/proc"
    mount --rbind /dev "$r/dev"
    exec chroot "$r" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8 \
      CI="${CI:-}" TERM="${TERM:-dumb}" /bin/sh -c "cd \"\$0\" && exec \"\$@\"" "$t" "$@"
  ' armroot "$armroot" "$top" "$@"
}

pyconfig() {
  ensure
  rm -rf "$1" && mkdir -p "$1"
  mkdir -p "$1/aarch64-linux-gnu"
  cp -a "$armroot"/usr/include/aarch64-linux-gnu/python3.* "$1/aarch64-linux-gnu/"
}

case "${1:-}" in
  ensure) ensure ;;
  run) shift; run "$@" ;;
  pyconfig) pyconfig "$2" ;;
  *) echo "usage: $0 ensure | run CMD... | pyconfig DIR" >&2; exit 2 ;;
esac
