#!/usr/bin/env bash
# Checks the shipped program: a 32-bit GUI executable, marked large-address-aware, that needs no
# DLL beside it, only the system's own.
set -euo pipefail
exe=${1:-build/mingw-i686/Quillmark.exe}
headers=$(i686-w64-mingw32-objdump -p "$exe")
problems=0
grep -q 'Magic.*010b' <<<"$headers" || { echo "check-exe: $exe is not a 32-bit (PE32) image" >&2; problems=1; }
grep -q 'Subsystem.*00000002' <<<"$headers" || { echo "check-exe: $exe is not a GUI executable" >&2; problems=1; }
grep -qi 'large address aware' <<<"$headers" ||
  { echo "check-exe: $exe is not marked large-address-aware (it would get 2 GB, not 4 GB, on 64-bit Windows)" >&2; problems=1; }
system_dlls='^(ADVAPI32|COMCTL32|COMDLG32|GDI32|KERNEL32|MSVCRT|OLE32|OLEAUT32|SHELL32|SHLWAPI|USER32|URLMON|MAPI32|WINTRUST|CRYPT32|WININET|VERSION|BCRYPT|OLEACC)\.DLL$'
while read -r dll; do
  if ! tr '[:lower:]' '[:upper:]' <<<"$dll" | grep -Eq "$system_dlls"; then
    echo "check-exe: $exe imports $dll, which is not a system DLL" >&2
    problems=1
  fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")
[ $problems -eq 0 ] && echo "check-exe: $exe is a large-address-aware 32-bit GUI program importing system DLLs only"
exit $problems
