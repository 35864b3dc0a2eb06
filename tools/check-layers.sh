#!/usr/bin/env bash
# Reads every #include between the folders of src/ and fails on one that reaches up a layer.
# The layers, lowest first: a folder may include its own and the ones before it.
#   resources  ids, version, templates
#   framework  the window framework
#   support    log, folders, settings files, help and report commands
#   skin       themes and the drawn controls and frames
#   dialogs    message boxes, the please-wait window, About
#   update     the online update
#   filelist, editing, app: the main window. CMainDlg's member functions are defined with their
#   subsystems in filelist/ and editing/, so those include app/MainDlg.h (and the window's
#   out-of-memory report beside it) on purpose: these are the only arrows up.
set -uo pipefail
cd "$(dirname "$0")/../src" || exit 1

layers=(resources framework support skin dialogs update filelist editing app)
rank() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

status=0
for file in */*.h */*.cpp; do
  folder=${file%%/*}
  own=$(rank "$folder")
  [ "$own" -ge 0 ] || { echo "check-layers: $file is in no layer" >&2; status=1; continue; }
  while IFS= read -r target; do
    other=$(rank "${target%%/*}")
    [ "$other" -ge 0 ] || continue
    [ "$other" -le "$own" ] && continue
    case "$folder:$target" in
      filelist:app/MainDlg.h | editing:app/MainDlg.h | filelist:app/OutOfMemory.h | editing:app/OutOfMemory.h) continue ;;
    esac
    echo "check-layers: $file includes $target, a layer above its own" >&2
    status=1
  done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)".*/\1/p' "$file")
done
[ $status -eq 0 ] && echo "check-layers: every include stays in its layer or below"
exit $status
