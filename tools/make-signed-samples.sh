#!/bin/sh
# Signs small programs for the update's signature tests, the way the packages are signed
# (tools/sign.sh), with throw-away certificates made here:
#   make-signed-samples.sh SAMPLE.exe OLDER.exe OUTDIR
# SAMPLE carries the version resource of the installer of version 3.02, OLDER that of 3.01.
# Writes into OUTDIR, each signed as the release signs its installers unless said otherwise:
#   installer-vendor.exe     by the test vendor
#   installer-next.exe       by the vendor's next key (during a change of keys)
#   installer-other.exe      by a stranger
#   installer-unsigned.exe   not signed
#   installer-tampered.exe   the vendor's file with one byte of its signed content changed
#   installer-older.exe      OLDER, by the vendor
#   uninstaller-vendor.exe   by the vendor, signed as an uninstaller
#   program-vendor.exe       by the vendor, signed as the program
# and vendor-key.der and next-key.der (the public keys, DER SubjectPublicKeyInfo, that the test
# program trusts).
set -eu
sample=$1
older=$2
out=$3
work=$out/signing
sign=$(dirname "$0")/sign.sh
installer="Quillmark installer"
mkdir -p "$work"
for who in vendor next other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Test $who/O=Test $who" \
    -keyout "$work/$who-key.pem" -out "$work/$who-cert.pem" 2>/dev/null
  cp "$sample" "$out/installer-$who.exe"
  sh "$sign" --cert "$work/$who-cert.pem" --key "$work/$who-key.pem" --description "$installer" "$out/installer-$who.exe"
done
cp "$sample" "$out/installer-unsigned.exe"
vendor() {  # vendor SOURCE TARGET DESCRIPTION
  cp "$1" "$2"
  sh "$sign" --cert "$work/vendor-cert.pem" --key "$work/vendor-key.pem" --description "$3" "$2"
}
vendor "$older" "$out/installer-older.exe" "$installer"
vendor "$sample" "$out/uninstaller-vendor.exe" "Quillmark uninstaller"
vendor "$sample" "$out/program-vendor.exe" "Quillmark"

# One byte in the middle of the program (code or data, inside what the signature covers) inverted.
cp "$out/installer-vendor.exe" "$out/installer-tampered.exe"
offset=$(( $(wc -c <"$sample") / 2 ))
byte=$(od -An -tu1 -j "$offset" -N1 "$sample" | tr -d ' ')
printf "\\$(printf %03o $(( byte ^ 255 )))" |
  dd of="$out/installer-tampered.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
cmp -s "$out/installer-vendor.exe" "$out/installer-tampered.exe" && { echo "tampering changed nothing" >&2; exit 1; }

for who in vendor next; do
  openssl x509 -in "$work/$who-cert.pem" -pubkey -noout | openssl pkey -pubin -outform DER -out "$out/$who-key.der"
done
