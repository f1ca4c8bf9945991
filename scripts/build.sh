#!/usr/bin/env bash
# Configures and builds, below $BUILD_ROOT (default build/): host (portable modules, host tools,
# host tests); win32 (SETUP.EXE and the sample distribution as shipped, PE32); and, where only
# 64-bit Wine can run, win64 (the same sources for x86-64, which the Windows tests then run on).
# Prints the Windows build directory the tests and the demo use.
set -euo pipefail
cd "$(dirname "$0")/.."
B=$(realpath -m "${BUILD_ROOT:-build}")  # where the builds go
jobs=$(nproc 2>/dev/null || echo 2)

configure_and_build() {  # directory, extra cmake arguments...
    local dir=$1; shift
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs" >&2
}

configure_and_build "$B"/host -DCMAKE_BUILD_TYPE=Debug
configure_and_build "$B"/win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
    -DHOST_BUILD_DIR="$B/host"
if [ "$(scripts/wine-arch.sh)" = win64 ]; then
    configure_and_build "$B"/win64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" \
        -DHOST_BUILD_DIR="$B/host"
    echo "$B"/win64
else
    echo "$B"/win32
fi
