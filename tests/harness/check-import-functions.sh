#!/bin/bash
# check-import-functions.sh OBJDUMP ALLOW-LIST EXE...: the shipping programs load on Windows 95
# and NT 4.0. Lists every function each program imports, per DLL, and fails on any that the
# allow-list does not hold (a missing import stops the loader before the program starts), and
# on PE headers that ask for more than OS and subsystem version 4.0.
set -u
objdump=$1 list=$2; shift 2
allowed=$(sed 's/#.*//' "$list" | awk 'NF { print tolower($1) " " $2 }')
status=0
for exe in "$@"; do
  if [ ! -f "$exe" ]; then echo "missing: $exe"; status=1; continue; fi
  dump=$("$objdump" -p "$exe")
  for field in MajorOSystemVersion MinorOSystemVersion MajorSubsystemVersion MinorSubsystemVersion; do
    value=$(echo "$dump" | awk -v f="$field" '$1 == f { print $2 }')
    want=0; [ "${field#Major}" != "$field" ] && want=4
    [ "$value" = "$want" ] || { echo "$exe: $field is '$value', not $want"; status=1; }
  done
  # "DLL name function" for each import; a line of an import table without a name (an import
  # by ordinal) is kept whole, so that it is reported.
  imports=$(echo "$dump" | awk '
    /^\tDLL Name: / { dll = tolower($3); inTable = 0; next }
    /^\tvma:  Hint\/Ord Member-Name/ { inTable = 1; next }
    inTable && NF == 0 { inTable = 0; next }
    inTable { if (NF >= 3 && $2 ~ /^[0-9]+$/) print dll, $3; else print dll, "<unnamed:" $0 ">" }')
  echo "$exe:"
  echo "$imports" | awk '$1 != d { if (d) print line; d = $1; line = "  " d ":" } { line = line " " $2 } END { if (d) print line }'
  while read -r dll function; do
    [ -z "$dll" ] && continue
    grep -qxF "$dll $function" <<<"$allowed" ||
      { echo "  not on the list of functions of Windows 95 and NT 4.0: $dll $function"; status=1; }
  done <<<"$imports"
done
exit $status
