#!/usr/bin/env bash
# Builds the release packages into build/packages/:
#   Quillmark-<version>-setup.exe       installer of the 32-bit program (runs on every Windows)
#   Quillmark-<version>-x64-setup.exe   installer of the 64-bit program
#   Quillmark-<version>-portable.zip    the 32-bit Quillmark.exe, the "portable" file, README.txt
# <version> is the program's own, read from src/resources/Version.h. The programs are built (both
# MinGW presets, target Quillmark) and stripped of their debug information first.
#
#   tools/package.sh [--cert FILE --key FILE [--next-cert FILE]]
#
# With a certificate and key (the options, or QUILLMARK_SIGN_CERT and QUILLMARK_SIGN_KEY; see
# tools/sign.sh) both programs, the uninstallers and both installers are signed, and the programs
# are built to trust that certificate's key for their online update (and also the key of
# --next-cert, or QUILLMARK_SIGN_NEXT_CERT, during a change of keys). The packaged programs are
# then asked, under Wine, whether they accept the new installer and refuse a stranger's
# signature. Without a certificate everything is built unsigned, the programs trust no key (their
# update refuses every download) and a line says so. The build folders are left configured
# without a key either way. Exits non-zero when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

die() { echo "package: $*" >&2; exit 1; }
while [ $# -gt 0 ]; do
  case $1 in
    --cert) export QUILLMARK_SIGN_CERT=${2:?--cert needs a file}; shift 2 ;;
    --key) export QUILLMARK_SIGN_KEY=${2:?--key needs a file}; shift 2 ;;
    --next-cert) export QUILLMARK_SIGN_NEXT_CERT=${2:?--next-cert needs a file}; shift 2 ;;
    *) die "unknown argument $1 (usage: tools/package.sh [--cert FILE --key FILE [--next-cert FILE]])" ;;
  esac
done
for tool in makensis zip osslsigncode i686-w64-mingw32-strip x86_64-w64-mingw32-strip; do
  command -v "$tool" >/dev/null || die "$tool is missing (tools/bootstrap.sh installs it)"
done

version=$(tools/version.sh) || exit 1

signing=
if [ -n "${QUILLMARK_SIGN_CERT:-}" ] || [ -n "${QUILLMARK_SIGN_KEY:-}" ]; then
  signing=yes
  [ -n "${QUILLMARK_SIGN_CERT:-}" ] && [ -n "${QUILLMARK_SIGN_KEY:-}" ] || die "a certificate needs its key and a key its certificate"
fi
[ -z "${QUILLMARK_SIGN_NEXT_CERT:-}" ] || [ -n "$signing" ] || die "--next-cert needs --cert and --key"
sign() { sh "$root/tools/sign.sh" "$@" || die "signing failed"; }
absolute() { [ -z "$1" ] || (cd "$(dirname "$1")" && echo "$(pwd)/$(basename "$1")"); }
trusted_cert=$(absolute "${QUILLMARK_SIGN_CERT:-}")
next_cert=$(absolute "${QUILLMARK_SIGN_NEXT_CERT:-}")
# A developer's build never keeps a release's key: the build folders go back to none at the end
# (only the key's resource and the link are redone).
configure() { cmake --preset "$1" -DQUILL_VENDOR_CERT="$2" -DQUILL_VENDOR_CERT_NEXT="$3" >/dev/null; }
forget_keys() {
  for preset in mingw-i686 mingw-x86_64; do
    [ -f "build/$preset/CMakeCache.txt" ] && configure $preset "" "" || true
  done
}
[ -z "$signing" ] || trap forget_keys EXIT

out=$root/build/packages
stage=$out/staging
rm -rf "$stage"
mkdir -p "$stage/32" "$stage/64" "$stage/portable"

for bits in 32 64; do
  if [ $bits = 32 ]; then preset=mingw-i686 strip=i686-w64-mingw32-strip; else preset=mingw-x86_64 strip=x86_64-w64-mingw32-strip; fi
  echo "package: building the $bits-bit program ($preset)"
  configure $preset "$trusted_cert" "$next_cert" || die "configuring $preset failed"
  targets=(Quillmark)
  [ $bits = 32 ] || targets+=(quill_trustcheck)
  cmake --build --preset $preset --target "${targets[@]}" >/dev/null || die "building $preset failed"
  "$strip" -o "$stage/$bits/Quillmark.exe" "build/$preset/Quillmark.exe" || die "stripping the $bits-bit program failed"
done
[ -n "$signing" ] || echo "package: no certificate and key given (QUILLMARK_SIGN_CERT, QUILLMARK_SIGN_KEY): the packages are unsigned"
[ -z "$signing" ] || sign "$stage/32/Quillmark.exe" "$stage/64/Quillmark.exe"

for bits in 32 64; do
  if [ $bits = 32 ]; then name=Quillmark-$version-setup.exe; else name=Quillmark-$version-x64-setup.exe; fi
  # The version resource's four numbers: "3.02" is 3.2.0.0, as the program's own resource has it.
  numbers=${version%%.*}.$((10#${version#*.})).0.0
  [ "$version" != "${version#*.}" ] || numbers=$version.0.0.0
  nsis=(-V2 -DVERSION="$version" -DVERSION_NUMBERS="$numbers" -DBITS="$bits" -DPROGRAM="$stage/$bits/Quillmark.exe"
        -DOUTFILE="$out/$name" -DOUTNAME="$name")
  # makensis signs the uninstaller through this command before it packs it. The uninstaller
  # carries the installer's version resource: only the signed description tells them apart.
  [ -z "$signing" ] || nsis+=(-DSIGN_UNINSTALLER="sh \"$root/tools/sign.sh\" --description \"Quillmark uninstaller\" \"%1\"")
  rm -f "$out/$name"
  makensis "${nsis[@]}" "$root/packaging/Quillmark.nsi" >/dev/null || die "makensis failed for $name"
  # The online update runs only files signed with this description.
  [ -z "$signing" ] || sign --description "Quillmark installer" "$out/$name"
  echo "package: $out/$name"
done

# The packaged programs, asked by their own update's code: the new installer is accepted, a file
# signed by anyone else refused.
if [ -n "$signing" ]; then
  source "$root/tools/wine-env.sh"
  quill_make_prefix package null >/dev/null || die "no Wine prefix for the check"
  stranger=$stage/stranger
  mkdir -p "$stranger"
  openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Stranger" -keyout "$stranger/key.pem" \
    -out "$stranger/cert.pem" 2>/dev/null || die "openssl failed"
  setup64=Quillmark-$version-x64-setup.exe
  cp "$out/$setup64" "$stranger/$setup64"
  sh "$root/tools/sign.sh" --cert "$stranger/cert.pem" --key "$stranger/key.pem" --description "Quillmark installer" \
    "$stranger/$setup64" || die "signing the stranger's file failed"
  keys=1
  [ -z "$next_cert" ] || keys=2
  check() {  # check PROGRAM FILE EXPECTED-EXIT-CODE
    local answer code
    answer=$(wine "build/mingw-x86_64/quill_trustcheck.exe" "$1" "$2" "$version" </dev/null 2>&1 | tr -d '\r') &&
      code=0 || code=$?
    echo "package: $(basename "$(dirname "$1")")-bit program, $(basename "$2"): $answer"
    [ "$code" = "$3" ] || die "the packaged program's update does not trust exactly the certificate it was built with"
    case $answer in *"(keys: $keys,"*) ;; *) die "the packaged program trusts other than $keys key(s)" ;; esac
  }
  for bits in 32 64; do
    check "$stage/$bits/Quillmark.exe" "$out/$setup64" 0
    check "$stage/$bits/Quillmark.exe" "$stranger/$setup64" 1
    check "$stage/$bits/Quillmark.exe" "$stage/64/Quillmark.exe" 1
  done
  wineserver -k </dev/null >/dev/null 2>&1 || true
fi

# The portable copy: the 32-bit program runs on every Windows. Its texts are CRLF, for Notepad.
cp "$stage/32/Quillmark.exe" "$stage/portable/Quillmark.exe"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/portable-README.txt >"$stage/portable/README.txt"
sed -e 's/$/\r/' packaging/portable.txt >"$stage/portable/portable"
zipfile=$out/Quillmark-$version-portable.zip
rm -f "$zipfile"
(cd "$stage/portable" && zip -q -X "$zipfile" Quillmark.exe portable README.txt) || die "zip failed"
echo "package: $zipfile"
rm -rf "$stage"
