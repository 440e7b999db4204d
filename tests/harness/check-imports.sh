#!/bin/bash
# check-imports.sh OBJDUMP EXE...: each program is one file that imports only system DLLs.
set -u
objdump=$1; shift
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|msvcrt|comdlg32|comctl32|shlwapi|version)\.dll$'
status=0
for exe in "$@"; do
  if [ ! -f "$exe" ]; then echo "missing: $exe"; status=1; continue; fi
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  echo "$exe imports: $(echo $dlls)"
  while read -r dll; do
    [ -z "$dll" ] && continue
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
      echo "  not a system DLL: $dll"; status=1
    fi
  done <<<"$dlls"
done
exit $status
