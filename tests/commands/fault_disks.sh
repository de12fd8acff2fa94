#!/usr/bin/env bash
# fault_disks.sh mount|unmount DIR
# The small file systems the export's fault tests write to: DIR/full, 64 KiB
# that the test fills itself, and DIR/readonly, mounted read-only, which
# refuses files even to root. Both are tmpfs, or a loop-mounted ext2 image
# where tmpfs is refused. Mounting needs root; without it the folders stay
# ordinary ones, and the tests that need them skip and say why. Always exits
# 0: a mount that failed is the tests' to report.
set -u
action=$1 dir=$2

release() {
  mountpoint -q "$1" 2>/dev/null || return 0
  umount "$1" 2>/dev/null || umount -l "$1" 2>/dev/null || true
}

# small NAME OPTIONS: mounts a 64 KiB file system at DIR/NAME.
small() {
  local target="$dir/$1" options=$2
  mount -t tmpfs -o "size=64k,mode=0777,$options" analyser-faults "$target" 2>/dev/null && return 0
  command -v mkfs.ext2 >/dev/null 2>&1 || return 1
  truncate -s 256k "$dir/$1.img" && mkfs.ext2 -q -F "$dir/$1.img" >/dev/null 2>&1 &&
    mount -o "loop,$options" "$dir/$1.img" "$target" 2>/dev/null
}

case "$action" in
mount)
  for name in full readonly; do
    release "$dir/$name"
    mkdir -p "$dir/$name"
  done
  small full rw || echo "fault_disks: could not mount $dir/full (needs root)"
  small readonly ro || echo "fault_disks: could not mount $dir/readonly (needs root)"
  ;;
unmount)
  for name in full readonly; do
    release "$dir/$name"
    rmdir "$dir/$name" 2>/dev/null || true
    rm -f "$dir/$name.img"
  done
  ;;
*) echo "usage: fault_disks.sh mount|unmount DIR" >&2 ;;
esac
exit 0
