#!/bin/sh
# Signs Windows programs and installers in place with an Authenticode signature (osslsigncode).
#
#   tools/sign.sh [--cert FILE] [--key FILE] [--description TEXT] FILE.exe...
#
# The description (default "Quillmark") goes under the signature: the online update runs only
# files signed as "Quillmark installer", so the programs and uninstallers must be signed as
# something else.
# The certificate and its private key come from the options or from the environment:
#   QUILLMARK_SIGN_CERT       the code-signing certificate (PEM or DER; a chain in one PEM file)
#   QUILLMARK_SIGN_KEY        its private key (PEM or DER)
#   QUILLMARK_SIGN_PASS       the key's password, when it has one (optional)
#   QUILLMARK_SIGN_TIMESTAMP  a time-stamping server's address (optional; needs the network)
# Without a certificate and a key nothing is signed: the files stay as they are, a line says so
# and the exit code is 0, so that packages can be built unsigned. A certificate without a key (or
# the other way round), a missing file or a failed signature is an error (exit code 1); a file
# whose signing failed is left as it was.
set -eu

cert=${QUILLMARK_SIGN_CERT:-}
key=${QUILLMARK_SIGN_KEY:-}
description=Quillmark
while [ $# -gt 0 ]; do
  case $1 in
    --cert) cert=${2:?sign.sh: --cert needs a file}; shift 2 ;;
    --key) key=${2:?sign.sh: --key needs a file}; shift 2 ;;
    --description) description=${2:?sign.sh: --description needs a text}; shift 2 ;;
    --) shift; break ;;
    -*) echo "sign.sh: unknown option $1" >&2; exit 1 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: sign.sh [--cert FILE] [--key FILE] [--description TEXT] FILE.exe..." >&2; exit 1; }

if [ -z "$cert" ] && [ -z "$key" ]; then
  echo "sign.sh: no certificate and key given (QUILLMARK_SIGN_CERT, QUILLMARK_SIGN_KEY); left unsigned: $*" >&2
  exit 0
fi
[ -n "$cert" ] && [ -n "$key" ] || { echo "sign.sh: a certificate needs its key and a key its certificate" >&2; exit 1; }
for file in "$cert" "$key"; do
  [ -r "$file" ] || { echo "sign.sh: cannot read $file" >&2; exit 1; }
done
command -v osslsigncode >/dev/null || { echo "sign.sh: osslsigncode is missing (tools/bootstrap.sh installs it)" >&2; exit 1; }

for file in "$@"; do
  [ -f "$file" ] || { echo "sign.sh: no such file: $file" >&2; exit 1; }
  signed="$file.signing"
  rm -f "$signed"
  # A file signed before gets a new signature in place of the old (osslsigncode would refuse it).
  unsigned="$file.unsigned"
  if osslsigncode remove-signature -in "$file" -out "$unsigned" >/dev/null 2>&1; then
    source_file=$unsigned
  else
    rm -f "$unsigned"
    source_file=$file
  fi
  if ! osslsigncode sign -certs "$cert" -key "$key" ${QUILLMARK_SIGN_PASS:+-pass "$QUILLMARK_SIGN_PASS"} \
      -h sha256 -n "$description" ${QUILLMARK_SIGN_TIMESTAMP:+-ts "$QUILLMARK_SIGN_TIMESTAMP"} \
      -in "$source_file" -out "$signed" >/dev/null; then
    rm -f "$signed" "$unsigned"
    echo "sign.sh: signing $file failed; it was left as it was" >&2
    exit 1
  fi
  rm -f "$unsigned"
  mv -f "$signed" "$file"
done
