#!/usr/bin/env bash
# Times the setup's file copy under Wine (a benchmark, not a test):
#  1. CopyExpandFile, with the title window and the progress dialog up (tools/bench/copybench),
#     against Wine's expand.exe on one 64 MiB compressed file of program binaries and source
#     text, in interleaved pairs: the median MB/s of each, their ratio, and the longest time a
#     message waited during the copy;
#  2. a whole unattended installation (SETUP.EXE /VERYSILENT /DIR=...) of the sample distribution
#     scaled up a hundredfold (about 270 MB expanded) against CopyFileA of the same stored files.
#
#   scripts/bench.sh [PAIRS] [INSTALLS]     (defaults 5 and 3; BUILD_ROOT as for build.sh)
#
# Builds what is missing. Works below $BUILD_ROOT/bench, in a Wine prefix and on an Xvfb of its
# own, which it stops again. The inputs are kept there for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
B=$(realpath -m "${BUILD_ROOT:-build}")
pairs=${1:-5} installs=${2:-3}
arch=$(scripts/wine-arch.sh)
W=$B/$arch
work=$B/bench
if [ ! -x "$B/host/bin/qvx_szdd" ] || [ ! -f "$W/CMakeCache.txt" ]; then
    BUILD_ROOT=$B scripts/build.sh >/dev/null
fi
cmake --build "$W" --target copybench dist >/dev/null
mkdir -p "$work"

winpath() { local p=${1//\//\\}; echo "Z:$p"; }
wine_run() { scripts/wine-run.sh --root "$work/wine" --arch "$arch" "$@"; }
now() { date +%s%N; }
seconds() { local ns=$(( $(now) - $1 )); printf '%d.%03d' $((ns / 1000000000)) $((ns / 1000000 % 1000)); }

xvfb_pid=""
cleanup() {
    WINEPREFIX=$work/wine/prefix wineserver -k 2>/dev/null || true
    [ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; }
}
trap cleanup EXIT
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r number <"$fifo"; rm -f "$fifo"
export DISPLAY=":$number"

# --- 1. one large file ---------------------------------------------------------------------
if [ ! -f "$work/MIXED.BI_" ]; then
    echo "bench: making the 64 MiB file (program binaries and source text in 1 MiB stretches)" >&2
    python3 - "$W" "$PWD" "$work/mixed.bin" <<'EOF'
import glob, os, subprocess, sys
build, source, out = sys.argv[1:]
binary = b''.join(open(f, 'rb').read() for f in sorted(glob.glob(build + '/wintests/*.exe')))
names = subprocess.run(['git', '-C', source, 'ls-files', '*.cpp', '*.h', '*.md', '*.rc', '*.sh'],
                       capture_output=True, text=True, check=True).stdout.split()
text = b''.join(open(os.path.join(source, n), 'rb').read() for n in names
                if os.path.isfile(os.path.join(source, n)))
size, stretch, data, at = 64 << 20, 1 << 20, bytearray(), 0
while len(data) < size:
    for pool in (binary, text):
        start = at % len(pool)
        data += pool[start:start + stretch]
        data += pool[:stretch - min(stretch, len(pool) - start)]
    at += stretch
open(out, 'wb').write(data[:size])
EOF
    "$B/host/bin/qvx_szdd" "$work/mixed.bin" "$work/MIXED.BI_" N >/dev/null
    rm -f "$work/mixed.bin"
fi
mkdir -p "$work/out"
echo "== CopyExpandFile against expand.exe, $(stat -c %s "$work/MIXED.BI_") bytes stored, $pairs pairs"
wine_run "$W/bin/copybench.exe" costs "$(winpath "$work/out")"
wine_run "$W/bin/copybench.exe" pairs "$pairs" "$(winpath "$work/MIXED.BI_")" "$(winpath "$work/out")"
rm -rf "$work/out"

# --- 2. a whole installation ---------------------------------------------------------------
scale=100
big=$work/dist$scale
if [ ! -f "$big/.ready" ]; then
    echo "bench: scaling the sample distribution up ${scale}-fold (compressing takes minutes)" >&2
    rm -rf "$big"
    python3 - "$W/dist" "$big" "$scale" "$B/host/bin/qvx_szdd" <<'EOF'
# Every file becomes its own bytes repeated (programs keep working: the copies are an overlay the
# loader ignores) and is stored again as the sample stores it.
import os, subprocess, sys
dist, big, scale, szdd = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]

def expand(data):
    size = int.from_bytes(data[10:14], 'little')
    ring, at, out, i = bytearray(b' ' * 4096), 4096 - 16, bytearray(), 14
    while i < len(data) and len(out) < size:
        flags, i = data[i], i + 1
        for bit in range(8):
            if i >= len(data) or len(out) >= size:
                break
            if flags >> bit & 1:
                start, length, i = None, 1, i + 1
            else:
                start, length, i = data[i] | (data[i + 1] & 0xF0) << 4, (data[i + 1] & 0x0F) + 3, i + 2
            for k in range(length):
                byte = data[i - 1] if start is None else ring[(start + k) & 4095]
                out.append(byte)
                ring[at], at = byte, (at + 1) & 4095
    return bytes(out[:size]), chr(data[9])

for folder, _, files in os.walk(dist):
    for name in files:
        if name == 'SETUP.EXE':
            continue
        source = os.path.join(folder, name)
        target = os.path.join(big, os.path.relpath(source, dist))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        data = open(source, 'rb').read()
        if data[:4] == b'SZDD':
            expanded, last = expand(data)
            open(target + '.in', 'wb').write(expanded * scale)
            subprocess.run([szdd, target + '.in', target, last], check=True, stdout=subprocess.DEVNULL)
            os.remove(target + '.in')
        else:
            open(target, 'wb').write(data * scale)
EOF
    touch "$big/.ready"
fi
cp "$W/dist/SETUP.EXE" "$big/SETUP.EXE"
figure=$(sed -n 's/^ *18, *"\([0-9]*\)".*/\1/p' resources/setup.rc)
wine_run "$W/bin/copybench.exe" total "$(winpath "$big/SETUP.EXE")" $((figure * scale))
stored=$(du -sb --exclude=SETUP.EXE "$big" | cut -f1)
echo "== SETUP.EXE /VERYSILENT against CopyFileA, $((figure * scale)) bytes expanded, $stored stored, $installs pairs"
setup_times=() copy_times=()
for i in $(seq "$installs"); do
    rm -rf "$work/installed" "$work/copied"
    start=$(now)
    status=0
    wine_run "$big/SETUP.EXE" /VERYSILENT "/DIR=$(winpath "$work/installed")" 2>>"$work/wine.err" || status=$?
    setup_times+=("$(seconds "$start")")
    [ "$status" -eq 0 ] || echo "bench: SETUP.EXE /VERYSILENT ended with exit code $status" >&2
    start=$(now)
    # Wine's stderr (a complaint about the volume label of Z:, say) goes to a file.
    wine_run "$W/bin/copybench.exe" copyfiles "$(winpath "$big")" "$(winpath "$work/copied")" 2>>"$work/wine.err"
    copy_times+=("$(seconds "$start")")
    echo "pair $i: installation ${setup_times[-1]} s ($(du -sb "$work/installed" 2>/dev/null | cut -f1) bytes installed), CopyFileA ${copy_times[-1]} s"
done
rm -rf "$work/installed" "$work/copied"
python3 - "${setup_times[*]}" "${copy_times[*]}" "$((figure * scale))" <<'EOF'
import statistics, sys
setup, copy = ([float(x) for x in arg.split()] for arg in sys.argv[1:3])
ratios = [s / c for s, c in zip(setup, copy)]
print('installation %.2f s median (%.2f-%.2f), %.0f MB/s expanded; CopyFileA %.2f s median (%.2f-%.2f)' % (
    statistics.median(setup), min(setup), max(setup), int(sys.argv[3]) / 1e6 / statistics.median(setup),
    statistics.median(copy), min(copy), max(copy)))
print('ratio %.2f of the medians; pair by pair %.2f median (%.2f-%.2f)' % (
    statistics.median(setup) / statistics.median(copy), statistics.median(ratios), min(ratios), max(ratios)))
EOF
