# Sourced by run.sh, test.sh and the ctest emulator: Wine environment and project-owned prefixes.
# A prefix lives in .wine/<name>-<arch> beside the sources (never the user's own ~/.wine),
# outside the build folder, so the program's settings survive a rebuild.
#
# Some kernels (the sandboxed build machines among them) cannot execute 32-bit Linux programs,
# so the 32-bit Wine loader cannot start at all. There everything runs in a 64-bit prefix with
# the 64-bit loader, and tests use the 64-bit build of the same sources.

QUILL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The unprivileged test lane keeps its prefixes in a folder that its user owns.
QUILL_PREFIX_ROOT=${QUILL_PREFIX_ROOT:-$QUILL_ROOT/.wine}

if [ -z "${QUILL_WINE_ARCH:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    QUILL_WINE_ARCH=win32
  else
    QUILL_WINE_ARCH=win64
  fi
fi
export QUILL_WINE_ARCH
if [ "$QUILL_WINE_ARCH" = win32 ]; then
  QUILL_WINE=wine
  QUILL_PRESET=mingw-i686
else
  QUILL_WINE=/usr/lib/wine/wine64
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  QUILL_PRESET=mingw-x86_64
fi

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
quill_start_server() {
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

quill_stop_server() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
