#!/usr/bin/env bash
# Installs the release package the way a user would, in a Wine prefix of its own, and takes it
# out again: silent install, the program starts from where it was installed and closes, the
# Add/Remove Programs entry, silent uninstall that keeps the settings, and /REMOVESETTINGS that
# removes them. The installer run is the one of the build under test: the 32-bit setup in a
# 32-bit prefix (Wine native or emulated), the x64 setup in a 64-bit one (tools/wine-env.sh); the
# other installer and the portable zip are checked as files.
# Usage: install_test.sh PACKAGES_DIR quill_probe.exe (run by ctest; tools/package.sh makes the
# packages). Exit code 77 (skipped) when the packages have not been built.
set -uo pipefail
packages=$1
probe_exe=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../tools/wine-env.sh"

version=$("$QUILL_ROOT/tools/version.sh") || exit 1
setup32=$packages/Quillmark-$version-setup.exe
setup64=$packages/Quillmark-$version-x64-setup.exe
portable=$packages/Quillmark-$version-portable.zip
for file in "$setup32" "$setup64" "$portable"; do
  if [ ! -f "$file" ]; then
    echo "SKIPPED: $file is missing; tools/package.sh builds the packages"
    exit 77
  fi
done

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
# expect WHAT EXPECTED ACTUAL
expect() { [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"; }
seconds() { date +%s%N; }
# The seconds since a `seconds` reading, to a tenth.
elapsed() { local tenths=$(( ($(seconds) - $1) / 100000000 )); echo "$((tenths / 10)).$((tenths % 10))"; }

# ---- the files --------------------------------------------------------------------------------
case $(file -b "$setup32") in
  "PE32 executable (GUI) Intel 80386"*) ;;
  *) fail "the 32-bit installer is not a 32-bit Windows program: $(file -b "$setup32")" ;;
esac
case $(file -b "$setup64") in
  "PE32+ executable (GUI) x86-64"*) ;;
  *) fail "the x64 installer is not a 64-bit Windows program: $(file -b "$setup64")" ;;
esac
expect "the portable zip's files" $'Quillmark.exe\nREADME.txt\nportable' \
  "$(unzip -Z1 "$portable" | sort)"
case $(unzip -p "$portable" Quillmark.exe | file -b -) in
  "PE32 executable (GUI) Intel 80386"*) ;;
  *) fail "the portable Quillmark.exe is not the 32-bit program" ;;
esac
# Every line of the text files ends in CR LF.
for text in README.txt portable; do
  lines=$(unzip -p "$portable" "$text" | wc -l)
  crlf=$(unzip -p "$portable" "$text" | grep -c $'\r$')
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "$text in the zip: $crlf of $lines lines end in CR LF"
done
unzip -p "$portable" README.txt | grep -q "Quillmark $version, portable" || fail "README.txt does not name version $version"

# ---- a prefix of its own, without what an earlier run left ------------------------------------
quill_make_prefix install null >/dev/null || exit 1
if [ "$QUILL_WINE_ARCH" = win64 ]; then setup=$setup64 arch="PE32+ executable (GUI) x86-64"; else setup=$setup32 arch="PE32 executable (GUI) Intel 80386"; fi
user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
program_dir="$user_dir/AppData/Local/Programs/Quillmark"
settings_dir="$user_dir/AppData/Roaming/Quillmark"
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quillmark.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmark'
win_program_dir="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Quillmark"
rm -rf "$program_dir" "$settings_dir" "$shortcut"
wine reg delete "$key" /f </dev/null >/dev/null 2>&1

app_pid=""
cleanup() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null
    for _ in $(seq 1 20); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$app_pid" 2>/dev/null
  fi
  wineserver -k </dev/null >/dev/null 2>&1
}
trap cleanup EXIT

# One value of the uninstall entry as `reg query` prints it ("" when missing).
reg_value() {
  wine reg query "$key" /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_[A-Z_]* *\(.*\)$/\1/p"
}
# install: runs the installer silently; it ends when the files are in place.
install() {
  local start
  start=$(seconds)
  wine "$setup" /S </dev/null >/dev/null 2>&1 || { fail "the installer failed (exit code $?)"; exit 1; }
  echo "silent install: $(elapsed "$start") s"
}
# uninstall ARGS...: the uninstaller copies itself away and returns at once; the copy's work is
# done when the prefix's last process has ended.
uninstall() {
  local start
  start=$(seconds)
  wine "$win_program_dir\\Uninstall.exe" /S "$@" </dev/null >/dev/null 2>&1 || fail "the uninstaller failed (exit code $?)"
  wineserver -w
  echo "silent uninstall $*: $(elapsed "$start") s"
}
probe() { wine "$probe_exe" "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
step() { out=$(probe "$@") || { echo "FAILED: quill_probe $*: $out" >&2; exit 1; }; }

# ---- install -----------------------------------------------------------------------------------
install
[ -f "$program_dir/Quillmark.exe" ] || { fail "no $program_dir/Quillmark.exe"; exit 1; }
case $(file -b "$program_dir/Quillmark.exe") in
  "$arch"*) ;;
  *) fail "the installed program is not the installer's build: $(file -b "$program_dir/Quillmark.exe")" ;;
esac
[ -f "$program_dir/Uninstall.exe" ] || fail "no uninstaller in $program_dir"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
expect "DisplayName" "Quillmark" "$(reg_value DisplayName)"
expect "DisplayVersion" "$version" "$(reg_value DisplayVersion)"
expect "Publisher" "Larkwell" "$(reg_value Publisher)"
expect "UninstallString" "\"$win_program_dir\\Uninstall.exe\"" "$(reg_value UninstallString)"
expect "QuietUninstallString" "\"$win_program_dir\\Uninstall.exe\" /S" "$(reg_value QuietUninstallString)"
expect "InstallLocation" "$win_program_dir" "$(reg_value InstallLocation)"
expect "NoModify" "0x1" "$(reg_value NoModify)"
expect "NoRepair" "0x1" "$(reg_value NoRepair)"
size_kb=$(( $(reg_value EstimatedSize) ))
actual_kb=$(( ($(stat -c %s "$program_dir/Quillmark.exe") + $(stat -c %s "$program_dir/Uninstall.exe")) / 1024 ))
[ "$size_kb" -ge $((actual_kb - 4)) ] && [ "$size_kb" -le $((actual_kb + 4)) ] ||
  fail "EstimatedSize is $size_kb KB, the installed files take $actual_kb KB"

# ---- the installed program starts, and saves its settings when it closes -----------------------
wineserver -p </dev/null >/dev/null 2>&1
start=$(seconds)
# The automatic update check goes to a closed local port.
QUILLMARK_UPDATE_URL=http://127.0.0.1:1/ "$QUILL_WINE" "$win_program_dir\\Quillmark.exe" </dev/null >/dev/null 2>&1 &
app_pid=$!
step wait-main
echo "installed program's main window: $(elapsed "$start") s"

# ---- an installer started while the program runs waits for it ----------------------------------
start=$(seconds)
wine "$setup" /S /WAIT=2 </dev/null >/dev/null 2>&1
expect "a silent install that waited 2 s for the running program: exit code" 2 "$?"
echo "silent install gave up on the running program after $(elapsed "$start") s"
wine "$setup" /S /WAIT=120 </dev/null >/dev/null 2>&1 &
setup_pid=$!
sleep 3
kill -0 "$setup_pid" 2>/dev/null || fail "the installer did not wait for the running program"
start=$(seconds)
step close
step wait-question
step answer yes
step wait-gone
wait "$setup_pid"
expect "the waiting installer's exit code once the program closed" 0 "$?"
echo "the waiting installer finished $(elapsed "$start") s after the program was asked to close"
for _ in $(seq 1 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
  fail "the installed program is still running 10 s after its window closed"
else
  wait "$app_pid"
  expect "the installed program's exit code" 0 "$?"
fi
app_pid=""
wineserver -k </dev/null >/dev/null 2>&1
for file in QMK.cfg settings.cfg; do
  [ -f "$settings_dir/$file" ] || fail "the program saved no $file in $settings_dir"
done

# ---- a silent uninstall keeps the settings ---------------------------------------------------
uninstall
[ ! -e "$program_dir" ] || fail "the program folder is still there: $(ls -A "$program_dir" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
wine reg query "$key" </dev/null >/dev/null 2>&1 && fail "the uninstall entry is still there"
for file in QMK.cfg settings.cfg; do
  [ -f "$settings_dir/$file" ] || fail "the silent uninstall removed the settings ($file)"
done

# ---- /REMOVESETTINGS removes them too, and only what the program writes ------------------------
install
mkdir -p "$settings_dir"
echo "kept" >"$settings_dir/notes of the user.txt"
uninstall /REMOVESETTINGS
[ ! -e "$program_dir" ] || fail "the program folder is still there after the second uninstall"
for file in QMK.cfg settings.cfg; do
  [ ! -e "$settings_dir/$file" ] || fail "/REMOVESETTINGS left $file"
done
[ -f "$settings_dir/notes of the user.txt" ] || fail "/REMOVESETTINGS removed a file the program did not write"

[ $failures -eq 0 ] && echo "install and uninstall: passed"
[ $failures -eq 0 ]
