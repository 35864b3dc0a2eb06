#!/usr/bin/env bash
# Builds Quillmark and starts it under Wine. With DISPLAY set it opens on that display;
# otherwise it runs on a private Xvfb, saves a screenshot of the window to
# build/screenshot.png and keeps running until interrupted (--screenshot-only: exit after it).
set -euo pipefail
cd "$(dirname "$0")"

shot_only=0
[ "${1:-}" = "--screenshot-only" ] && shot_only=1

tools/bootstrap.sh
source tools/wine-env.sh
cmake --preset "$QUILL_PRESET" >/dev/null
cmake --build --preset "$QUILL_PRESET" --target Quillmark
exe="build/$QUILL_PRESET/Quillmark.exe"
echo "run.sh: starting $(quill_route_line)" >&2
quill_make_prefix run x11

if [ -n "${DISPLAY:-}" ] && [ $shot_only -eq 0 ]; then
  exec "$QUILL_WINE" "$exe"
fi

# A private X server on a free display number; the prefix's server must follow it.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
wineserver -k >/dev/null 2>&1 || true
cleanup() { wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
trap 'exit 130' INT TERM

wine "$exe" </dev/null >/dev/null 2>&1 &
app_pid=$!

title="\"Quillmark  $(tools/version.sh)\""
win=""
for _ in $(seq 1 100); do
  win=$(xwininfo -root -tree 2>/dev/null | grep -F "$title" | awk '{print $1}' | head -n 1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "run.sh: the main window did not appear" >&2; exit 1; }
sleep 1.5   # let the first paint and the posted layout pass finish
xwd -silent -id "$win" | /usr/bin/convert xwd:- build/screenshot.png
echo "Screenshot of the main window saved to build/screenshot.png"

[ $shot_only -eq 1 ] && exit 0
echo "Quillmark is running on the private display $DISPLAY; press Ctrl+C to stop."
wait "$app_pid"
