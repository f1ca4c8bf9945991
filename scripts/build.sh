#!/usr/bin/env bash
# Configures and builds, below $BUILD_ROOT (default build/): host (portable modules, host tools,
# host tests) and the Windows tree that this machine's Wine runs (see scripts/wine-arch.sh):
# win32 (SETUP.EXE as shipped, PE32, with the sample distribution and the Windows tests), or
# win64 (the same sources for x86-64) and then, from win32, only SETUP.EXE and its distribution.
# Prints the Windows build directory the tests and the demo use. The compiler's output goes to
# $BUILD_ROOT/build.log and is shown only when a build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
B=$(realpath -m "${BUILD_ROOT:-build}")  # where the builds go
jobs=$(nproc 2>/dev/null || echo 2)
arch=$(scripts/wine-arch.sh)
mkdir -p "$B"
log=$B/build.log
: >"$log"

build() {  # directory, target (all), extra cmake arguments...
    local dir=$1 target=$2; shift 2
    echo "build: $(basename "$dir")${target:+ ($target)}" >&2
    if ! { cmake -S . -B "$dir" "$@" && cmake --build "$dir" -j"$jobs" ${target:+--target "$target"}; } >>"$log" 2>&1; then
        cat "$log" >&2
        echo "build: $(basename "$dir") failed (log: $log)" >&2
        exit 1
    fi
}

build "$B"/host "" -DCMAKE_BUILD_TYPE=Debug
if [ "$arch" = win32 ]; then
    build "$B"/win32 "" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DHOST_BUILD_DIR="$B/host"
else
    build "$B"/win32 dist -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DHOST_BUILD_DIR="$B/host"
    build "$B"/win64 "" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" -DHOST_BUILD_DIR="$B/host"
fi
echo "$B/$arch"
