#!/usr/bin/env bash
# The DPI tests of win_tests at 96, 120, 144 and 192 DPI, each in a Wine prefix of its own whose
# LogPixels gives that DPI (a program reads its DPI when it starts, so each needs its own setup).
# Each prefix is a hard-linked copy of the ordinary test prefix (cheap) with copies of its own of
# the registry files, which Wine rewrites in place: linked, a LogPixels set here would reach the
# ordinary prefix too.
# Usage: dpi_test.sh win_tests.exe (run by ctest, null graphics driver).
set -uo pipefail
tests_exe=$1
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
quill_make_prefix test null >/dev/null || exit 1
base=$WINEPREFIX
export TZ="${TZ:-UTC}"
status=0
for dpi in 96 120 144 192; do
  quill_use_prefix "dpi$dpi"
  if [ ! -f "$WINEPREFIX/.quill-ready-null" ]; then
    rm -rf "$WINEPREFIX"
    cp -al "$base" "$WINEPREFIX" || exit 1
    for reg in "$WINEPREFIX"/*.reg; do
      cp --remove-destination "$base/${reg##*/}" "$reg" || exit 1
    done
  fi
  hex=$(printf '0x%x' "$dpi")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$hex" /f </dev/null >/dev/null 2>&1
  echo "== $dpi DPI"
  QUILL_TEST_DPI=$dpi wine "$tests_exe" --gtest_filter='Dpi*' --gtest_brief=1 </dev/null || status=1
  wineserver -k </dev/null >/dev/null 2>&1 || true
done
exit $status
