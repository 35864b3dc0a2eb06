#!/usr/bin/env bash
# Puts the qemu-i386 user emulator at .cache/qemu-i386, for running 32-bit Wine where the kernel
# cannot execute 32-bit Linux programs (tools/run32.sh). Quick and silent when it is there.
#
# Debian 12's own qemu (7.2) cannot boot a 32-bit Wine prefix; Debian 13's (10.0) can. Only its
# static usr/bin/qemu-i386 is kept, fetched with `apt-get download` through an apt state of our
# own under .cache/, so the machine's sources, lists and installed packages are never changed.
# Exits non-zero, saying why, when the emulator cannot be had (no network, a mirror in trouble).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target=$root/.cache/qemu-i386
[ -x "$target" ] && exit 0

mirror=${QUILL_DEBIAN_MIRROR:-http://deb.debian.org/debian}
state=$root/.cache/qemu-apt
rm -rf "$state"
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/download"
echo "deb [arch=amd64] $mirror trixie main" >"$state/sources.list"
apt_opts=(
  -o "Dir::Etc::SourceList=$state/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache"
  -o APT::Architecture=amd64 -o APT::Architectures=amd64 -o APT::Sandbox::User=root
  -o Acquire::Retries=2 -o Acquire::http::Timeout=30 -qq
)
[ "$(id -u)" -eq 0 ] || apt_opts+=(-o Debug::NoLocking=1)
say() { echo "fetch-qemu: $*" >&2; }
cleanup() { rm -rf "$state"; }
trap cleanup EXIT

say "fetching qemu-i386 from Debian 13 (once)..."
apt-get "${apt_opts[@]}" update >"$state/log" 2>&1 || { say "apt-get update failed: $(tail -n 2 "$state/log")"; exit 1; }
(cd "$state/download" && apt-get "${apt_opts[@]}" download qemu-user) >"$state/log" 2>&1 ||
  { say "apt-get download qemu-user failed: $(tail -n 2 "$state/log")"; exit 1; }
deb=$(ls "$state"/download/qemu-user_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { say "no package was downloaded"; exit 1; }
dpkg-deb --fsys-tarfile "$deb" | tar -x -O ./usr/bin/qemu-i386 >"$target.part" &&
  chmod 755 "$target.part" && "$target.part" --version >/dev/null 2>&1 ||
  { rm -f "$target.part"; say "the package held no working usr/bin/qemu-i386"; exit 1; }
mv -f "$target.part" "$target"
say "$("$target" --version | head -n 1)"
