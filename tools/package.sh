#!/usr/bin/env bash
# Builds the release packages into build/packages/:
#   Quillmark-<version>-setup.exe       installer of the 32-bit program (runs on every Windows)
#   Quillmark-<version>-x64-setup.exe   installer of the 64-bit program
#   Quillmark-<version>-portable.zip    the 32-bit Quillmark.exe, the "portable" file, README.txt
# <version> is the program's own, read from src/app/Version.h. The programs are built (both
# MinGW presets, target Quillmark) and stripped of their debug information first.
#
#   tools/package.sh [--cert FILE --key FILE]
#
# With a certificate and key (the options, or QUILLMARK_SIGN_CERT and QUILLMARK_SIGN_KEY; see
# tools/sign.sh) both programs, the uninstallers and both installers are signed; without them
# everything is built unsigned and a line says so. Exits non-zero when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

die() { echo "package: $*" >&2; exit 1; }
while [ $# -gt 0 ]; do
  case $1 in
    --cert) export QUILLMARK_SIGN_CERT=${2:?--cert needs a file}; shift 2 ;;
    --key) export QUILLMARK_SIGN_KEY=${2:?--key needs a file}; shift 2 ;;
    *) die "unknown argument $1 (usage: tools/package.sh [--cert FILE --key FILE])" ;;
  esac
done
for tool in makensis zip osslsigncode i686-w64-mingw32-strip x86_64-w64-mingw32-strip; do
  command -v "$tool" >/dev/null || die "$tool is missing (tools/bootstrap.sh installs it)"
done

version=$(tools/version.sh) || exit 1

signing=
if [ -n "${QUILLMARK_SIGN_CERT:-}" ] || [ -n "${QUILLMARK_SIGN_KEY:-}" ]; then
  signing=yes
fi
sign() { sh "$root/tools/sign.sh" "$@" || die "signing failed"; }

out=$root/build/packages
stage=$out/staging
rm -rf "$stage"
mkdir -p "$stage/32" "$stage/64" "$stage/portable"

for bits in 32 64; do
  if [ $bits = 32 ]; then preset=mingw-i686 strip=i686-w64-mingw32-strip; else preset=mingw-x86_64 strip=x86_64-w64-mingw32-strip; fi
  echo "package: building the $bits-bit program ($preset)"
  cmake --preset $preset >/dev/null || die "configuring $preset failed"
  cmake --build --preset $preset --target Quillmark >/dev/null || die "building $preset failed"
  "$strip" -o "$stage/$bits/Quillmark.exe" "build/$preset/Quillmark.exe" || die "stripping the $bits-bit program failed"
done
[ -n "$signing" ] || echo "package: no certificate and key given (QUILLMARK_SIGN_CERT, QUILLMARK_SIGN_KEY): the packages are unsigned"
[ -z "$signing" ] || sign "$stage/32/Quillmark.exe" "$stage/64/Quillmark.exe"

for bits in 32 64; do
  if [ $bits = 32 ]; then name=Quillmark-$version-setup.exe; else name=Quillmark-$version-x64-setup.exe; fi
  nsis=(-V2 -DVERSION="$version" -DBITS="$bits" -DPROGRAM="$stage/$bits/Quillmark.exe" -DOUTFILE="$out/$name")
  # makensis signs the uninstaller through this command before it packs it.
  [ -z "$signing" ] || nsis+=(-DSIGN_UNINSTALLER="sh \"$root/tools/sign.sh\" \"%1\"")
  rm -f "$out/$name"
  makensis "${nsis[@]}" "$root/packaging/Quillmark.nsi" >/dev/null || die "makensis failed for $name"
  [ -z "$signing" ] || sign "$out/$name"
  echo "package: $out/$name"
done

# The portable copy: the 32-bit program runs on every Windows. Its texts are CRLF, for Notepad.
cp "$stage/32/Quillmark.exe" "$stage/portable/Quillmark.exe"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/portable-README.txt >"$stage/portable/README.txt"
sed -e 's/$/\r/' packaging/portable.txt >"$stage/portable/portable"
zipfile=$out/Quillmark-$version-portable.zip
rm -f "$zipfile"
(cd "$stage/portable" && zip -q -X "$zipfile" Quillmark.exe portable README.txt) || die "zip failed"
echo "package: $zipfile"
rm -rf "$stage"
