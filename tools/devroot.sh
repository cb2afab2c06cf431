#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# The development root: a Debian testing tree whose python3 is CPython 3.14,
# built once with debootstrap outside the work tree and reused until the
# package list in tools/devroot-packages.txt changes.
#
#   tools/devroot.sh ensure        build the root if it is missing or stale
#   tools/devroot.sh run CMD...    run CMD inside the root, in this work tree
#   tools/devroot.sh mirror        print the host's Debian mirror (tools/armroot.sh)
#
# Needs root (debootstrap, mount namespaces, chroot). The Debian mirror is read
# from the host's own apt configuration.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
devroot=${CHRONEXA_DEVROOT:-/var/tmp/chronexa-devroot}
list="$top/tools/devroot-packages.txt"
wheel_list="$top/tools/devroot-wheels.txt"

entries() { sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$1" | tr -d ' \t'; }
packages() { entries "$list"; }
wheels() { entries "$wheel_list"; }
stamp() { { packages; echo "suite=testing"; wheels; } | sha256sum | cut -d' ' -f1; }

# PyPI wheels for the root: the host's pip downloads them (CPython 3.14,
# manylinux x86_64), the root's pip installs them without touching the network.
install_wheels() {
  local root=$1 dir=$1/var/cache/chronexa-wheels
  [ -n "$(wheels)" ] || return 0
  command -v pip >/dev/null || command -v pip3 >/dev/null || {
    echo "devroot: the host has no pip to download $(wheels | paste -sd' ')" >&2; return 1
  }
  mkdir -p "$dir"
  "$(command -v pip || command -v pip3)" download -q --disable-pip-version-check --only-binary=:all: \
    --python-version 3.14 --implementation cp --abi cp314 --abi none --abi abi3 \
    --platform manylinux_2_17_x86_64 --platform manylinux2014_x86_64 \
    --platform manylinux_2_12_x86_64 --platform manylinux2010_x86_64 \
    --platform manylinux_2_28_x86_64 --platform any -d "$dir" $(wheels) 2>&1 |
    grep -v -e "^WARNING: Location" -e "^WARNING: Skipping" >&2 || true
  chroot "$root" python3 -m pip install -q --break-system-packages --root-user-action=ignore \
    --no-index --find-links /var/cache/chronexa-wheels $(wheels)
}

mirror() {
  local uri
  # deb822 sources first, then one-line sources; skip the security archive.
  uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '/^URIs:/ {for (i = 2; i <= NF; i++) print $i}' | grep -v -- '-security' | head -n 1 || true)
  if [ -z "$uri" ]; then
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk '$1 == "deb" {for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) {print $i; break}}' |
      grep -v -- '-security' | head -n 1 || true)
  fi
  [ -n "$uri" ] || { echo "devroot: no Debian mirror in the host's apt configuration" >&2; exit 1; }
  echo "$uri"
}

ensure() {
  local want
  want=$(stamp)
  if [ -f "$devroot/.chronexa-stamp" ] && [ "$(cat "$devroot/.chronexa-stamp")" = "$want" ]; then
    return 0
  fi
  [ "$(id -u)" = 0 ] || { echo "devroot: building the root needs root; or pass PYTHON=/path/to/python3.14" >&2; exit 1; }
  if ! command -v debootstrap >/dev/null; then
    apt-get install -y -q debootstrap >/dev/null 2>&1 || {
      apt-get update -q >/dev/null && apt-get install -y -q debootstrap >/dev/null
    }
  fi
  local m script new
  m=$(mirror)
  script=/usr/share/debootstrap/scripts/sid
  new="$devroot.new"
  echo "devroot: building $devroot (Debian testing, CPython 3.14) from the host's mirror; this takes a few minutes" >&2
  rm -rf "$new"
  debootstrap --variant=minbase --include="$(packages | paste -sd, -)" \
    testing "$new" "$m" "$script" >"$new.log" 2>&1 || {
    tail -n 30 "$new.log" >&2; echo "devroot: debootstrap failed (log: $new.log)" >&2; exit 1
  }
  echo 'Acquire::Check-Valid-Until "false";' >"$new/etc/apt/apt.conf.d/99chronexa"
  install_wheels "$new" || { echo "devroot: installing the PyPI wheels failed" >&2; exit 1; }
  chroot "$new" python3 -c 'import sys; assert sys.version_info[:2] == (3, 14), sys.version' || {
    echo "devroot: the root's python3 is not CPython 3.14" >&2; exit 1
  }
  echo "$want" >"$new/.chronexa-stamp"
  rm -rf "$devroot" "$new.log"
  mv "$new" "$devroot"
}

run() {
  ensure
  # A private mount namespace: the binds vanish with the command.
  unshare -m -- /bin/bash -euc '
    r=$1; t=$2; shift 2
    mount --make-rprivate /
    mkdir -p "$r$t"
    mount --bind "$t" "$r$t"
    mount -t proc proc "$r/proc"
    mount --rbind /dev "$r/dev"
    exec chroot "$r" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8 \
      CI="${CI:-}" TERM="${TERM:-dumb}" /bin/sh -c "cd \"\$0\" && exec \"\$@\"" "$t" "$@"
  ' devroot "$devroot" "$top" "$@"
}

case "${1:-}" in
  ensure) ensure ;;
  run) shift; run "$@" ;;
  mirror) mirror ;;
  *) echo "usage: $0 ensure | run CMD... | mirror" >&2; exit 2 ;;
esac
