#!/usr/bin/env bash
# Takes the pictures in docs/: the main window (docs/screenshot.png), the window in each of the
# fifteen themes on one contact sheet (docs/themes.png), the window with sample photos dropped on
# it (docs/files.png) and after "Apply Changes" set their times (docs/applied.png), and the exit
# question with its "Do not show me this dialog again." box ticked (docs/question.png). Runs the
# program on a private Xvfb in a prefix of its own ("shots", no settings kept between runs, so
# every run shows a first start) and drives it with quill_probe from another process, then
# answers No and closes it; last the main window again at 150 % and 200 % scaling
# (docs/screenshot-150.png, docs/screenshot-200.png).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/bootstrap.sh
source tools/wine-env.sh
cmake --preset "$QUILL_PRESET" >/dev/null
cmake --build --preset "$QUILL_PRESET" --target Quillmark quill_probe
build="build/$QUILL_PRESET"
main_title="Quillmark  $(tools/version.sh)"
echo "screenshots.sh: $(quill_route_line)" >&2

quill_make_prefix shots x11
rm -rf "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Quillmark"

# A private X server on a free display number; the prefix's server must follow it.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
# Large enough for the main window at 200 % (1600 x 1200); every picture is of a window alone.
Xvfb ":$n" -screen 0 1920x1440x24 -nolisten tcp >/dev/null 2>&1 &
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
# settled TITLE FILE [PREVIOUS]: like shot, for a window already shown, once its picture has
# stopped changing and differs from PREVIOUS (a repaint still under way is not taken).
settled() {
  local win last="" now
  win=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1\"" | awk '{print $1}' | head -n 1 || true)
  [ -n "$win" ] || { echo "screenshots.sh: the window \"$1\" is gone" >&2; exit 1; }
  for _ in $(seq 1 40); do
    sleep 0.25
    xwd -silent -id "$win" >"$work/now.xwd"
    now=$(md5sum <"$work/now.xwd")
    if [ "$now" = "$last" ] && [ "$now" != "${3:-}" ]; then
      /usr/bin/convert xwd:"$work/now.xwd" "$2"
      settled_sum=$now
      return 0
    fi
    last=$now
  done
  echo "screenshots.sh: the picture of \"$1\" did not settle into a new one for $2" >&2
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"; cleanup' EXIT

"$QUILL_WINE" "$build/Quillmark.exe" </dev/null >/dev/null 2>&1 &
app_pid=$!
probe wait-main
shot "$main_title" docs/screenshot.png

# The contact sheet: every theme through the theme menu's own commands, named as the menu names
# them, then the default theme back (10, "Silver White") so the run leaves the usual settings.
mapfile -t names < <(sed -n '/g_themeNames\[THEME_COUNT\] = {/,/};/p' src/skin/Themes.cpp |
                     grep -o 'L"[^"]*"' | sed 's/^L"//; s/"$//')
[ "${#names[@]}" = 15 ] || { echo "screenshots.sh: found ${#names[@]} theme names, not 15" >&2; exit 1; }
tiles=()
settled_sum=$(xwd -silent -id "$(xwininfo -root -tree | grep -F "\"$main_title\"" | awk '{print $1}' | head -n 1)" | md5sum)
for i in $(seq 0 14); do
  probe theme "$i"
  settled "$main_title" "$work/theme-$i.png" "$settled_sum"
  tiles+=(-label "$i  ${names[$i]}" "$work/theme-$i.png")
done
probe theme 10
montage "${tiles[@]}" -tile 5x3 -geometry 360x270+8+8 -font /usr/share/wine/fonts/tahoma.ttf -pointsize 16 -background '#f4f4f4' \
  -depth 8 -define png:compression-level=9 docs/themes.png
echo "saved docs/themes.png ($(stat -c %s docs/themes.png) bytes)"

# A folder of holiday photos, dropped on the window as from the file manager, then their three
# times set to the picker's date and time with "Set File Time" and "Apply Changes".
photos="$WINEPREFIX/drive_c/Photos/Holiday"
rm -rf "$photos" && mkdir -p "$photos"
dropped=()
for n in 1 2 3 4 5 6; do
  file="IMG_20230$((n + 2))1$n.jpg"
  head -c $((n * 1500)) /dev/zero >"$photos/$file"
  touch -d "2023-0$((n + 2))-1$n 1$n:2$n:00" "$photos/$file"
  dropped+=("C:\\Photos\\Holiday\\$file")
done
probe drop "${dropped[@]}"
shot "$main_title" docs/files.png
probe click "Set File Time"
probe click "Apply Changes"
probe wait-output "--------------------"
settled "$main_title" docs/applied.png
echo "saved docs/applied.png"

# The keyboard's focus cue, on the box a keyboard user ticks first in the worked example.
probe tab-to "Set File Time"
settled "$main_title" "$work/focus-window.png" "$settled_sum"
/usr/bin/convert "$work/focus-window.png" -crop 300x150+0+260 +repage docs/focus.png
echo "saved docs/focus.png"

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

# The guide's pictures of the main window at 150 % and 200 % scaling: the program started again at
# 144 and 192 DPI (Wine reads LogPixels when a program starts), then the prefix back at 96.
set_dpi() {
  local hex
  hex=$(printf '0x%x' "$1")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$hex" /f </dev/null >/dev/null 2>&1
}
for scale in 150:144 200:192; do
  set_dpi "${scale#*:}"
  "$QUILL_WINE" "$build/Quillmark.exe" </dev/null >/dev/null 2>&1 &
  app_pid=$!
  probe wait-main
  shot "$main_title" "docs/screenshot-${scale%%:*}.png"
  probe close        # the exit question stays off, as ticked above
  probe wait-gone
  wait "$app_pid" || true
  app_pid=""
done
set_dpi 96
