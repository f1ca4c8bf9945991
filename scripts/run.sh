#!/usr/bin/env bash
# Builds SETUP.EXE and the sample distribution and runs the setup under Wine, in a Wine prefix
# of its own (build/demo/wine/prefix, made anew on every run).
#
# With a DISPLAY the setup opens there for you to use. Without one (or with QVX_UNATTENDED=1)
# it runs on a private Xvfb and the project's UI driver walks through the installation: default
# destination, "Yes" to create it, the default answer elsewhere. Either way it ends by printing
# where the files, the registry entry and the Start menu group went; unattended it also saves a
# screenshot of each screen as build/demo/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
B=$(realpath -m "${BUILD_ROOT:-build}")
scripts/bootstrap.sh
winbuild=$(scripts/build.sh)
arch=$(scripts/wine-arch.sh)
dist=$winbuild/dist
demo=$B/demo
mkdir -p "$demo"
rm -rf "$demo/wine/prefix" "$demo"/*.bmp "$demo"/*.png
run() { scripts/wine-run.sh --root "$demo/wine" --arch "$arch" "$@"; }

echo "Sample distribution: $dist"
[ "$arch" = win32 ] || echo "(this machine runs only 64-bit Wine: using the x86-64 build of the same sources)"
status=0
if [ -n "${DISPLAY:-}" ] && [ "${QVX_UNATTENDED:-0}" != 1 ]; then
    run "$dist/SETUP.EXE" || status=$?
    echo "Setup ended with exit code $status"
    run "$winbuild/e2e/qvx_demo.exe" --report || true
else
    unset DISPLAY
    run "$winbuild/e2e/qvx_demo.exe" --dist="$dist" --artifacts="$demo" || status=$?
    for shot in "$demo"/*.bmp; do
        [ -e "$shot" ] || continue
        convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
    done
    echo
    echo "Screenshots:"
    ls -1 "$demo"/*.png 2>/dev/null | sed 's/^/  /'
fi
WINEPREFIX=$demo/wine/prefix wineserver -k 2>/dev/null || true
echo
echo "The Wine prefix is $demo/wine/prefix: drive C: is its drive_c/ folder."
exit $status
