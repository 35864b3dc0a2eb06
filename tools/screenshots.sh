#!/usr/bin/env bash
# Takes the pictures in docs/: the main window (docs/screenshot.png) and the exit question with its
# "Do not show me this dialog again." box ticked (docs/question.png). Runs the program on a private
# Xvfb in a prefix of its own ("shots", no settings kept between runs, so every run shows a first
# start) and drives it with quill_probe from another process, then answers No and closes it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/bootstrap.sh
source tools/wine-env.sh
cmake --preset "$QUILL_PRESET" >/dev/null
cmake --build --preset "$QUILL_PRESET" --target Quillmark quill_probe
build="build/$QUILL_PRESET"
[ "$QUILL_PRESET" = mingw-i686 ] || echo "screenshots.sh: this machine cannot run 32-bit Wine; using the 64-bit build." >&2

quill_make_prefix shots x11
rm -rf "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Quillmark"

# A private X server on a free display number; the prefix's server must follow it.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
wineserver -k >/dev/null 2>&1 || true
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

probe() { "$QUILL_WINE" "$build/quill_probe.exe" "$@" </dev/null | tr -d '\r'; }
# shot TITLE FILE: saves the X window with that title (bounded wait for it) as a PNG.
shot() {
  local win=""
  for _ in $(seq 1 100); do
    win=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1\"" | awk '{print $1}' | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "$win" ] || { echo "screenshots.sh: the window \"$1\" did not appear" >&2; exit 1; }
  sleep 1.5   # let the first paint and any posted layout pass finish
  xwd -silent -id "$win" | /usr/bin/convert xwd:- "$2"
  echo "saved $2"
}

"$QUILL_WINE" "$build/Quillmark.exe" </dev/null >/dev/null 2>&1 &
app_pid=$!
probe wait-main
shot "Quillmark  3.01" docs/screenshot.png

probe close
probe wait-question
probe tick
shot "Please select" docs/question.png

probe answer no
probe wait-gone question
probe close          # the box was ticked: no question this time
probe wait-gone
wait "$app_pid" || true
app_pid=""
