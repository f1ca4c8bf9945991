#!/usr/bin/env bash
# Runs a Windows program under Wine in this build's own 32-bit prefix.
#
#   wine-run.sh --root DIR [--arch win32|win64] [--fresh] PROGRAM [ARGS...]
#
# win32 (the default) is the product's own kind of prefix; win64 serves machines whose kernel
# cannot run 32-bit Linux processes, where only 64-bit Wine works.
# DIR/pristine is made once with wineboot and never used directly; DIR/prefix is the copy the
# tests share. With --fresh (or QVX_FRESH_PREFIX=1) the program gets a throw-away copy of the
# pristine prefix, removed afterwards. Without a DISPLAY the script starts its own Xvfb and
# stops it again. It stops only what it started: its Xvfb by pid, its prefixes' wineservers.
set -u

root=""
arch=win32
fresh=${QVX_FRESH_PREFIX:-0}
while [ $# -gt 0 ]; do
    case "$1" in
        --root) root=$2; shift 2 ;;
        --arch) arch=$2; shift 2 ;;
        --fresh) fresh=1; shift ;;
        *) break ;;
    esac
done
[ -n "$root" ] && [ $# -gt 0 ] || { echo "usage: $0 --root DIR [--fresh] PROGRAM [ARGS...]" >&2; exit 2; }
mkdir -p "$root"
root=$(cd "$root" && pwd)

if [ "$arch" = win64 ]; then
    loader=/usr/lib/wine/wine64
    [ -x "$loader" ] || loader=$(command -v wine64)
else
    loader=$(command -v wine)
fi
export WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts: nothing here needs them. No winemenubuilder either: it
# would read each new Start Menu shortcut and its program after the setup has ended (holding
# files a test is removing) and put menu entries for the throw-away prefix on this machine.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

xvfb_pid=""
cleanup() {
    if [ -n "${scratch:-}" ]; then
        WINEPREFIX=$scratch wineserver -k 2>/dev/null
        WINEPREFIX=$scratch wineserver -w 2>/dev/null
        rm -rf "$scratch"
    fi
    if [ -n "$xvfb_pid" ]; then
        # Our display goes away: end the prefix's Wine processes first, quietly.
        [ -n "${scratch:-}" ] || { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
        kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r number <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$number"
fi

make_prefix() {  # $1: directory; made from nothing by wineboot
    rm -rf "$1"
    WINEPREFIX=$1 "$loader" wineboot -i >/dev/null 2>&1
    WINEPREFIX=$1 wineserver -w
    [ -f "$1/system.reg" ] || { echo "wine-run: could not create a prefix in $1" >&2; exit 3; }
    touch "$1/.ready"
}

(
    flock 9
    [ -f "$root/pristine/.ready" ] || make_prefix "$root/pristine"
    if [ ! -f "$root/prefix/.ready" ]; then
        rm -rf "$root/prefix"; cp -a "$root/pristine" "$root/prefix"
    fi
) 9>"$root/.lock" || exit 3

if [ "$fresh" = 1 ]; then
    scratch=$(mktemp -d "$root/fresh.XXXXXX")
    rmdir "$scratch"; cp -a "$root/pristine" "$scratch"
    export WINEPREFIX=$scratch
else
    export WINEPREFIX=$root/prefix
fi

"$loader" "$@"
status=$?
exit $status
