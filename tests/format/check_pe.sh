#!/usr/bin/env bash
# Checks what a shipped program must be without running it: the expected PE kind, the GUI
# subsystem, no compiler run-time DLL among its imports, no debug information, its version
# resource and manifest (check_resources.py), an Authenticode signature that verifies against the
# roots in CAFILE and stops verifying once a byte of the code changes, and at most MAXBYTES
# besides the signature's certificate table.
#   check_pe.sh OBJDUMP FILE FORMAT SUBSYSTEM MAXBYTES CAFILE   (e.g. pei-i386 2 65536 root.pem)
set -u
objdump=$1 file=$2 format=$3 subsystem=$4 maxbytes=$5 cafile=$6
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
verify() { osslsigncode verify -CAfile "$cafile" -in "$1" >/dev/null 2>&1; }
verify "$file" || { echo "$file: no signature that verifies against $cafile"; fail=1; }
changed=$(mktemp); cp "$file" "$changed"
at=$((0x$(awk '$2 == ".text" { print $6 }' <<<"$headers") + 64))
byte=$(od -An -tu1 -j"$at" -N1 "$changed")
printf "$(printf '\\%03o' $((byte ^ 255)))" | dd of="$changed" bs=1 seek="$at" conv=notrunc status=none
! verify "$changed" || { echo "$file: the signature still verifies with a byte of code changed"; fail=1; }
rm -f "$changed"
table=$(awk '/Security Directory/ { print $4 }' <<<"$headers")
size=$(($(stat -c %s "$file") - 0x${table:-0}))
[ "$size" -le "$maxbytes" ] || { echo "$file: $size bytes, more than $maxbytes"; fail=1; }
[ $fail -eq 0 ] && echo "$file: $format, subsystem $subsystem, self-contained, signed, $size bytes besides the signature"
exit $fail
