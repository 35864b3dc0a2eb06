#!/usr/bin/env bash
# ctest's emulator for the Windows test executables: runs one under Wine in the test prefix.
# A 64-bit test program runs in a 64-bit prefix, whichever route this machine's 32-bit Wine takes.
case $(file -b "$1" 2>/dev/null) in
  PE32+*) export QUILL_WINE_ROUTE=64-bit ;;
esac
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
quill_make_prefix test null >/dev/null || exit 1
export TZ="${TZ:-UTC}"
quill_start_server
exec "$QUILL_WINE" "$@"
