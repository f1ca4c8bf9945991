#!/usr/bin/env bash
# Prints the kind of Wine prefix the tests and the demo use: win32 when 32-bit Linux processes
# run (the product's own kind), otherwise win64 (kernels with 32-bit emulation switched off).
# QVX_WINE_ARCH=win32|win64 chooses on a machine that can run both.
can32() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }
case "${QVX_WINE_ARCH:-}" in
    "") if can32; then echo win32; else echo win64; fi ;;
    win64) echo win64 ;;
    win32) can32 || { echo "wine-arch: 32-bit Wine cannot run on this machine" >&2; exit 2; }
           echo win32 ;;
    *) echo "wine-arch: QVX_WINE_ARCH must be win32 or win64" >&2; exit 2 ;;
esac
