#!/usr/bin/env bash
# Drives a running Quillmark from another process with quill_probe, as an accessibility tool would:
# the check boxes read back their real state, the file list's rows and their selection read back
# what the program holds, the exit question can be read, ticked and answered,
# and a ticked "Do not show me this dialog again." lets the next close end the program at once.
# Usage: cross_process_test.sh Quillmark.exe quill_probe.exe (run by ctest, null graphics driver).
set -uo pipefail
app_exe=$1
probe_exe=$2
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
quill_make_prefix test null >/dev/null || exit 1
export TZ="${TZ:-UTC}"
quill_start_server

# A fresh start needs no remembered exit switch and no stored check boxes: set the settings files
# aside and put them back afterwards, also after a run that was stopped before it could.
settings="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Quillmark"
restore_settings() {
  local file
  for file in "$settings"/*.cfg.before-probe-test; do
    [ -e "$file" ] && mv -f "$file" "${file%.before-probe-test}"
  done
}
restore_settings
for file in QMK.cfg settings.cfg; do
  [ -e "$settings/$file" ] && mv -f "$settings/$file" "$settings/$file.before-probe-test"
done

rows_dir="$WINEPREFIX/drive_c/quill-probe-rows"
app_pid=""
cleanup() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null
    for _ in $(seq 1 20); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$app_pid" 2>/dev/null
  fi
  rm -f "$settings/QMK.cfg" "$settings/settings.cfg"
  restore_settings
  rm -rf "$rows_dir"
}
trap cleanup EXIT

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
# Runs the probe; its console output is CRLF.
probe() { wine "$probe_exe" "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# expect WHAT EXPECTED ACTUAL
expect() { [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"; }
# The probe's own waits are bounded; a step that needs the program stops the test when it fails.
step() { out=$(probe "$@") || { echo "FAILED: quill_probe $*: $out" >&2; exit 1; }; }

# The loader itself, not the shell function: $! must be the program's own process.
"$QUILL_WINE" "$app_exe" </dev/null >/dev/null 2>&1 &
app_pid=$!
step wait-main

# Every check box of the main window, as the program starts without settings: the three time
# kinds are forced on, everything else is off.
expected_checks=$(sort <<'EOF'
0 Sub dir
0 Include path
0 Path only
0 Case sensitive
0 Exclusive filter
0 Set File Time
1 Create Time
1 Modify Time
1 Last Access Time
0 Set File Attributes
0 Archive
0 ReadOnly
0 Hidden
0 System
0 Other File Properties
0 NotContentIndexed
0 Offline
0 Temporary
0 Normal
EOF
)
step checks
expect "check boxes of the main window" "$expected_checks" "$(sort <<<"$out")"

# The file list as an outside tool reads it: the program holds the rows and the list asks it for
# each text. SelectAll is posted, so the rows are read until its selection shows.
rm -rf "$rows_dir"
mkdir -p "$rows_dir" && printf x >"$rows_dir/a.txt" && printf x >"$rows_dir/b.log"
touch -d '2003-05-06 07:08:09 UTC' "$rows_dir/a.txt"
touch -d '2015-03-04 05:06:07 UTC' "$rows_dir/b.log"
step drop 'C:\quill-probe-rows\a.txt' 'C:\quill-probe-rows\b.log'
step click SelectAll
# Columns: selected, path, created (what the file system says), modified, accessed, attributes.
expected_rows=$'1\tC:\\quill-probe-rows\\a.txt\t05/06/03 07:08:09\t05/06/03 07:08:09\tA
1\tC:\\quill-probe-rows\\b.log\t03/04/15 05:06:07\t03/04/15 05:06:07\tA'
for _ in $(seq 1 50); do
  step rows
  rows=$(cut -f1,2,4- <<<"$out")
  [ "$rows" = "$expected_rows" ] && break
  sleep 0.1
done
expect "the rows after SelectAll" "$expected_rows" "$rows"

step close
step wait-question
expect "the exit question" $'Do you want to exit "Quillmark"?\n0 Do not show me this dialog again.' "$out"
step tick
expect "the box after a click" "1 Do not show me this dialog again." "$out"
step answer no
step wait-gone question
kill -0 "$app_pid" 2>/dev/null || { fail "the program ended after No"; exit 1; }
step wait-main

# The box was ticked: this close does not ask, the program ends.
step close
step wait-gone
for _ in $(seq 1 100); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
  fail "the program is still running 10 s after its window closed"
else
  wait "$app_pid"
  expect "the program's exit code" 0 "$?"
fi

[ $failures -eq 0 ] && echo "cross-process exit question: passed"
[ $failures -eq 0 ]
