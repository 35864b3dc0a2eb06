#!/bin/sh
# Signs a small program as two different makers for the update's signature tests, the way the
# packages are signed (tools/sign.sh), with throw-away certificates made here:
#   make-signed-samples.sh SAMPLE.exe OUTDIR
# writes OUTDIR/installer-unsigned.exe, installer-vendor.exe, installer-other.exe,
# installer-tampered.exe (the vendor's file with one byte of its signed content changed) and
# vendor-key.hex (the vendor signer's RSA public key, DER, as hex digits).
set -eu
sample=$1
out=$2
work=$out/signing
sign=$(dirname "$0")/sign.sh
mkdir -p "$work"
for who in vendor other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Test $who/O=Test $who" \
    -keyout "$work/$who-key.pem" -out "$work/$who-cert.pem" 2>/dev/null
  cp "$sample" "$out/installer-$who.exe"
  sh "$sign" --cert "$work/$who-cert.pem" --key "$work/$who-key.pem" "$out/installer-$who.exe"
done
cp "$sample" "$out/installer-unsigned.exe"

# One byte in the middle of the program (code or data, inside what the signature covers) inverted.
cp "$out/installer-vendor.exe" "$out/installer-tampered.exe"
offset=$(( $(wc -c <"$sample") / 2 ))
byte=$(od -An -tu1 -j "$offset" -N1 "$sample" | tr -d ' ')
printf "\\$(printf %03o $(( byte ^ 255 )))" |
  dd of="$out/installer-tampered.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
cmp -s "$out/installer-vendor.exe" "$out/installer-tampered.exe" && { echo "tampering changed nothing" >&2; exit 1; }

openssl x509 -in "$work/vendor-cert.pem" -pubkey -noout |
  openssl rsa -pubin -RSAPublicKey_out -outform DER 2>/dev/null | xxd -p > "$out/vendor-key.hex"
