#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian 12 machine.
# Idempotent and quick when everything is already present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-i686
  cmake ninja-build make g++ googletest
  wine wine64 wine32:i386 fonts-wine
  xvfb x11-apps x11-utils imagemagick
  python3 python3-olefile attr libgsf-bin
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  missing=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
fi
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
echo "bootstrap: installing ${missing[*]}" >&2
dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
