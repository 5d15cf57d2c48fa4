#!/usr/bin/env bash
# Fails when a built Windows binary imports anything but Windows system DLLs:
# the runtime is linked statically, so no libstdc++, libgcc or winpthread.
# Usage: check-imports.sh OBJDUMP FILE...
set -euo pipefail
objdump=$1
shift
allowed='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|comctl32|comdlg32|shell32|shlwapi|uuid|msvcrt|version|winmm)\.dll$'
status=0
for file in "$@"; do
  names=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr -d '\r')
  [ -n "$names" ] || { echo "$file: no import table found"; status=1; continue; }
  while read -r name; do
    if ! printf '%s\n' "$name" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
      echo "$file: imports $name, which is not a Windows system DLL"
      status=1
    fi
  done <<<"$names"
done
[ $status -eq 0 ] && echo "imports: $# binaries import Windows system DLLs only"
exit $status
