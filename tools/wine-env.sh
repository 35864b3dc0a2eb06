# shellcheck shell=bash
# Sourced by run.sh, test.sh and the ctest emulator: Wine environment and project-owned prefixes.
# A prefix lives in .wine/<name>-<arch> beside the sources (never the user's own ~/.wine),
# outside the build folder, so the program's settings survive a rebuild.
#
# The routes to a Wine that runs the tests:
#   native    32-bit Wine runs as it is: the shipped 32-bit program is tested;
#   emulated  the kernel cannot execute 32-bit Linux programs (the sandboxed build machines among
#             them), so Wine's 32-bit processes run under the qemu-i386 user emulator, hooked in
#             through a private namespace by tools/run32.sh (tools/fetch-qemu.sh fetches it once);
#   64-bit    a 64-bit prefix with the 64-bit loader and the 64-bit build of the same sources.
# Without a choice the first of native and 64-bit that works is taken. The emulated route is
# taken only when asked for (QUILL_WINE_ROUTE=emulated): its Windows suite alone takes about 17
# minutes on these two-core machines, which with the builds is more than a full run may take.
# The choice is made once and exported, so the scripts and ctest's emulator below a run agree;
# QUILL_WINE_ROUTE=64-bit set beforehand asks for the 64-bit build (the benchmarks do).

QUILL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The unprivileged test lane keeps its prefixes in a folder that its user owns.
QUILL_PREFIX_ROOT=${QUILL_PREFIX_ROOT:-$QUILL_ROOT/.wine}

if [ -z "${QUILL_WINE_ROUTE:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    QUILL_WINE_ROUTE=native
  else
    QUILL_WINE_ROUTE=64-bit
  fi
fi
export QUILL_WINE_ROUTE
case $QUILL_WINE_ROUTE in
  native)
    QUILL_WINE_ARCH=win32 QUILL_WINE=/usr/lib/wine/wine QUILL_PRESET=mingw-i686 ;;
  emulated)
    QUILL_WINE_ARCH=win32 QUILL_WINE=$QUILL_ROOT/tools/run32.sh QUILL_PRESET=mingw-i686
    # The native 64-bit server serves the emulated 32-bit clients, inside the namespace or not.
    export WINESERVER=/usr/lib/wine/wineserver64 ;;
  *)
    QUILL_WINE_ARCH=win64 QUILL_WINE=/usr/lib/wine/wine64 QUILL_PRESET=mingw-x86_64
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
esac
export QUILL_WINE_ARCH QUILL_PRESET

# A line for a run's heading: which program the Windows tests run, and how.
quill_route_line() {
  case $QUILL_WINE_ROUTE in
    native) echo "the shipped 32-bit program (32-bit Wine)" ;;
    emulated) echo "the shipped 32-bit program (32-bit Wine under qemu-i386 emulation)" ;;
    *) echo "the 64-bit build (no native 32-bit Wine here; QUILL_WINE_ROUTE=emulated runs the 32-bit one under qemu-i386)" ;;
  esac
}

wine() { "$QUILL_WINE" "$@"; }
wineserver() { "${WINESERVER:-/usr/lib/wine/wineserver}" "$@"; }

# quill_use_prefix NAME: export the environment that every Wine call of ours runs with.
quill_use_prefix() {
  export WINEPREFIX="$QUILL_PREFIX_ROOT/$1-$QUILL_WINE_ARCH"
  export WINEARCH=$QUILL_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# quill_make_prefix NAME DRIVER: create the prefix quietly once (DRIVER is x11 or null).
# Fonts are copied in so that Tahoma, and with it the dialog units, are right.
quill_make_prefix() {
  local name=$1 driver=$2
  quill_use_prefix "$name"
  [ -f "$WINEPREFIX/.quill-ready-$driver" ] && return 0
  rm -rf "$WINEPREFIX" "$WINEPREFIX.home"
  mkdir -p "$WINEPREFIX.home"
  echo "Creating the Wine prefix $WINEPREFIX (once)..." >&2
  # HOME points at a scratch folder: the prefix links Desktop, Documents ... to it.
  HOME="$WINEPREFIX.home" wine wineboot -i </dev/null >/dev/null 2>&1 || true
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  if [ "$driver" = null ]; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  fi
  wineserver -w
  [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "wine-env: could not create $WINEPREFIX" >&2; return 1; }
  touch "$WINEPREFIX/.quill-ready-$driver"
}

# quill_start_server: a persistent wineserver and Wine's services, detached from our pipes,
# so that ctest does not wait for background processes that inherited a test's output.
# A server already running for the prefix (wineserver's exit code 2) was started here, services
# and all: starting a Wine process only to find that costs seconds when Wine is emulated.
quill_start_server() {
  wineserver -p </dev/null >/dev/null 2>&1
  [ $? -eq 2 ] && return 0
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

quill_stop_server() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
