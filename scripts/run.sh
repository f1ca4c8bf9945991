#!/usr/bin/env bash
# Builds SETUP.EXE and the sample distribution and runs the setup under Wine, in a Wine prefix of
# its own (build/demo/wine/prefix, made anew on every run).
#
# With a DISPLAY (and not QVX_UNATTENDED=1) the setup opens there for you to use. Otherwise it
# runs unattended on a private Xvfb, as a deployment tool runs it: SETUP.EXE /SILENT /LOG=...
# Either way it ends with the exit code, the setup's log, and where the files, the registry
# entry and the Start Menu group went.
set -euo pipefail
cd "$(dirname "$0")/.."
B=$(realpath -m "${BUILD_ROOT:-build}")
scripts/bootstrap.sh
winbuild=$(scripts/build.sh)  # one line per build; the compiler's output goes to its log
arch=$(scripts/wine-arch.sh)
dist=$winbuild/dist
root=$B/demo/wine
prefix=$root/prefix
rm -rf "$prefix"
[ "$arch" = win32 ] || echo "run: this machine runs only 64-bit Wine: the x86-64 build of the same sources"

log='C:\QVXSETUP.LOG'
if [ -n "${DISPLAY:-}" ] && [ "${QVX_UNATTENDED:-0}" != 1 ]; then
    echo "run: $dist/SETUP.EXE on $DISPLAY, for you to use (Wine prefix $prefix)"
    switches=()
else
    unset DISPLAY  # scripts/wine-run.sh starts an Xvfb of its own
    echo "run: $dist/SETUP.EXE /SILENT unattended on a private Xvfb (Wine prefix $prefix)"
    switches=(/SILENT)
fi
status=0
scripts/wine-run.sh --root "$root" --arch "$arch" "$dist/SETUP.EXE" "${switches[@]}" "/LOG=$log" || status=$?
# The registry reaches system.reg once the prefix's Wine server has ended.
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
WINEPREFIX=$prefix wineserver -w 2>/dev/null || true

echo "run: exit code $status"
echo "run: log $log (drive_c/QVXSETUP.LOG)"
sed 's/\r$//; s/^/  /' "$prefix/drive_c/QVXSETUP.LOG" 2>/dev/null || echo "  (none)"
echo "run: files below C:\\OPOS"
find "$prefix/drive_c/OPOS" -type f -printf '  %P  %s bytes\n' 2>/dev/null | sort || echo "  (none)"
echo "run: Start Menu group"
find "$prefix/drive_c" -path '*/Start Menu/Programs/OLE for Point of Sale*' -printf '  %P\n' 2>/dev/null | sort
echo "run: device key HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR (system.reg)"
awk '/^\[/ { show = tolower($0) ~ /oleforretail\\\\serviceopos\\\\msr\\\\qvxmsr\]/ } show && NF && !/^#/ { print "  " $0 }' \
    "$prefix/system.reg"
echo "run: Programs and Features entry HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QVXMSR (system.reg)"
awk '/^\[/ { show = tolower($0) ~ /uninstall\\\\qvxmsr\]/ } show && NF && !/^#/ { print "  " $0 }' "$prefix/system.reg"
echo "run: Wine prefix $prefix (drive C: is its drive_c/)"
exit $status
