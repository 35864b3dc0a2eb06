#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian 12 machine.
# Idempotent and quick when everything is already present.
#
# A package mirror in the middle of a sync can fail `apt-get update` on one index and leave the
# two architectures' candidates at different versions, so that an install then fails with
# "held broken packages". The update's failure does not stop us; a failed install is retried
# with the release suites alone (the security suite left out), which are consistent.
set -uo pipefail

packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-i686
  cmake ninja-build make g++ googletest clang libclang-rt-14-dev shellcheck clang-format
  wine wine64 wine32:i386 fonts-wine
  xvfb x11-apps x11-utils imagemagick
  python3 python3-olefile attr libgsf-bin
  zlib1g-dev libz-mingw-w64-dev
  nsis osslsigncode openssl zip unzip file xxd
)

# Asked for (QUILL_WINE_ROUTE=emulated, see tools/wine-env.sh), 32-bit Wine runs under Debian
# 13's qemu-i386, kept under .cache/ (tools/run32.sh). Without it (no network, a mirror in trouble)
# the tests fall back to the 64-bit build, so its absence never fails the bootstrap.
emulator() {
  local tools
  tools=$(dirname "${BASH_SOURCE[0]}")
  # Asked for by name, it is set up even where 32-bit Wine runs natively.
  [ "${QUILL_WINE_ROUTE:-}" = emulated ] || return 0
  "$tools/fetch-qemu.sh" ||
    echo "bootstrap: no qemu-i386 for 32-bit Wine; the Windows tests will run the 64-bit build" >&2
  return 0
}

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  missing=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
fi
[ ${#missing[@]} -eq 0 ] && { emulator; exit 0; }

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
say() { echo "bootstrap: $*" >&2; }

# release_sources DIR: this machine's Debian sources without the security suites, written into
# DIR as the only source list apt is to read.
release_sources() {
  local dir=$1 file
  mkdir -p "$dir"
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    # deb822 stanzas: drop the security suites, and a stanza left with no suite at all.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         {
           out = ""; keep = 1; n = split($0, lines, "\n")
           for (i = 1; i <= n; i++) {
             line = lines[i]
             if (line ~ /^[Ss]uites:/) {
               m = split(substr(line, 8), suites, /[ \t]+/); kept = ""
               for (j = 1; j <= m; j++) if (suites[j] != "" && suites[j] !~ /security/) kept = kept " " suites[j]
               if (kept == "") keep = 0
               line = "Suites:" kept
             }
             if (line ~ /^[Ee]nabled:[ \t]*no/) keep = 0
             out = out line "\n"
           }
           if (keep) print out
         }' "$file" >"$dir/$(basename "$file")"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    grep -E '^[[:space:]]*deb' "$file" | grep -v security >"$dir/$(basename "$file").list" || true
  done
}

install_packages() {
  DEBIAN_FRONTEND=noninteractive apt-get "$@" install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
}

say "installing ${missing[*]}"
dpkg --add-architecture i386
apt-get update -qq || say "apt-get update failed on some index (a mirror in sync?); trying the install anyway"
if ! install_packages; then
  say "the install failed; retrying from the release suites alone (without the security suite)"
  release_dir=$(mktemp -d)
  release_sources "$release_dir"
  release_opts=(-o "Dir::Etc::SourceParts=$release_dir" -o "Dir::Etc::SourceList=/dev/null")
  apt-get "${release_opts[@]}" update -qq || say "the update of the release suites failed too"
  if ! install_packages "${release_opts[@]}"; then
    rm -rf "$release_dir"
    say "the install from the release suites failed as well"
    exit 1
  fi
  rm -rf "$release_dir"
  say "installed from the release suites alone; the security suite's newer versions were not used"
fi
emulator
