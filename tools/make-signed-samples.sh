#!/bin/sh
# Signs a small program as two different makers for the update's signature tests:
#   make-signed-samples.sh SAMPLE.exe OUTDIR
# writes OUTDIR/installer-unsigned.exe, installer-vendor.exe, installer-other.exe and
# vendor-key.hex (the vendor signer's RSA public key, DER, as hex digits).
set -eu
sample=$1
out=$2
work=$out/signing
mkdir -p "$work"
for who in vendor other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Test $who/O=Test $who" \
    -keyout "$work/$who-key.pem" -out "$work/$who-cert.pem" 2>/dev/null
  rm -f "$out/installer-$who.exe"
  osslsigncode sign -certs "$work/$who-cert.pem" -key "$work/$who-key.pem" \
    -in "$sample" -out "$out/installer-$who.exe" >/dev/null
done
cp "$sample" "$out/installer-unsigned.exe"
openssl x509 -in "$work/vendor-cert.pem" -pubkey -noout |
  openssl rsa -pubin -RSAPublicKey_out -outform DER 2>/dev/null | xxd -p > "$out/vendor-key.hex"
