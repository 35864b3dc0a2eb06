#!/usr/bin/env bash
# ctest's emulator for the Windows test executables: runs one under Wine in the test prefix.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
quill_make_prefix test null >/dev/null || exit 1
export TZ="${TZ:-UTC}"
quill_start_server
exec "$QUILL_WINE" "$@"
