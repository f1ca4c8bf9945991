#!/usr/bin/env bash
# Checks what a shipped program must be without running it: the expected PE kind, the GUI
# subsystem, no compiler run-time DLL among its imports, no debug information, its version
# resource and manifest (check_resources.py), and at most
# MAXBYTES in all.
#   check_pe.sh OBJDUMP FILE FORMAT SUBSYSTEM MAXBYTES   (e.g. pei-i386 2 65536)
set -u
objdump=$1 file=$2 format=$3 subsystem=$4 maxbytes=$5
headers=$("$objdump" -p -h "$file") || { echo "cannot read $file"; exit 1; }
fail=0
grep -q "file format $format" <<<"$headers" || { echo "$file: not $format"; fail=1; }
grep -Eq "^Subsystem[[:space:]]+0*$subsystem[[:space:]]" <<<"$headers" || { echo "$file: subsystem is not $subsystem"; fail=1; }
bad=$(grep -Ei 'DLL Name: *(libgcc|libstdc|libwinpthread|msvcp|vcruntime)' <<<"$headers")
[ -z "$bad" ] || { echo "$file imports a compiler run-time: $bad"; fail=1; }
# Not KnownDLLs: a statically imported copy would be searched for beside the program first.
bad=$(grep -Ei 'DLL Name: *(version|lz32)\.dll' <<<"$headers")
[ -z "$bad" ] || { echo "$file imports a library a planted copy could replace: $bad"; fail=1; }
! grep -Eq '^ *[0-9]+ +\.(debug|zdebug)' <<<"$headers" || { echo "$file carries debug information"; fail=1; }
python3 "$(dirname "$0")/check_resources.py" "$file" || fail=1  # version resource and manifest
size=$(stat -c %s "$file")
[ "$size" -le "$maxbytes" ] || { echo "$file: $size bytes, more than $maxbytes"; fail=1; }
[ $fail -eq 0 ] && echo "$file: $format, subsystem $subsystem, self-contained, $size bytes"
exit $fail
