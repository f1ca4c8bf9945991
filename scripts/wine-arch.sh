#!/usr/bin/env bash
# Prints the kind of Wine prefix this machine can run: win32 when 32-bit Linux processes run
# (the product's own kind), otherwise win64 (kernels with 32-bit emulation switched off).
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win32
else
    echo win64
fi
