#!/usr/bin/env bash
# Runs 32-bit Wine on a kernel that cannot execute 32-bit Linux programs: `run32.sh ARGS...` is
# `wine ARGS...` with every 32-bit process that Wine starts (its loader, its helpers, whatever the
# program starts in turn) run by the qemu-i386 user emulator.
#
# The emulator is hooked in through a binfmt_misc instance of a user and mount namespace of our
# own (kernel 6.7 or later), so the host's binfmt_misc is never touched and no privilege is
# needed; an ordinary user can do it too. The process keeps its id through every step (no fork):
# a caller that waits for or stops the pid it started reaches Wine itself.
#
# The namespace that mounts binfmt_misc must map our user to root; Wine is then run in a nested
# namespace that maps the user back to its own id, so that Wine's per-user server folder
# (/tmp/.wine-UID) and the prefix's owner are the same as outside. The wineserver is the native
# 64-bit one and is shared with Wine calls made outside the namespace.
#
# QUILL_QEMU names the emulator (default: .cache/qemu-i386 beside the tools folder, which
# tools/fetch-qemu.sh puts there).
set -u
self=$(readlink -f "${BASH_SOURCE[0]}")

if [ "${1:-}" != --in-namespace ]; then
  qemu=${QUILL_QEMU:-$(dirname "$self")/../.cache/qemu-i386}
  [ -x "$qemu" ] || { echo "run32: no emulator at $qemu (tools/fetch-qemu.sh fetches it)" >&2; exit 127; }
  export WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
  exec unshare --user --map-root-user --mount -- \
    "$self" --in-namespace "$(id -u)" "$(id -g)" "$(readlink -f "$qemu")" "$@"
fi

shift
uid=$1 gid=$2 qemu=$3
shift 3
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
  { echo "run32: cannot mount a private binfmt_misc (kernel 6.7 or later is needed)" >&2; exit 126; }
# i386 ELF executables and shared objects; the F flag opens the emulator now, so it is found
# whatever the emulated program's root or mounts are later.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf '%s' ":qemu-i386:M::$magic:$mask:$qemu:F" >/proc/sys/fs/binfmt_misc/register ||
  { echo "run32: cannot register $qemu with binfmt_misc" >&2; exit 126; }
exec unshare --user --map-user="$uid" --map-group="$gid" -- /usr/lib/wine/wine "$@"
