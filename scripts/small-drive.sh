#!/usr/bin/env bash
# Runs a command with a small tmpfs volume mapped as a drive of a Wine prefix, so that the
# destination tests meet a real drive that is short of space. Needs root (mount).
#
#   small-drive.sh PREFIX LETTER BYTES COMMAND [ARGS...]
#
# The volume is mounted below PREFIX's parent directory and linked as PREFIX/dosdevices/LETTER:;
# the command sees QVX_SMALL_DRIVE=LETTER. Both are removed again afterwards.
set -u
[ $# -ge 4 ] || { echo "usage: $0 PREFIX LETTER BYTES COMMAND [ARGS...]" >&2; exit 2; }
prefix=$1 letter=$2 bytes=$3
shift 3
[ -d "$prefix/dosdevices" ] || { echo "small-drive: no Wine prefix at $prefix" >&2; exit 2; }
link="$prefix/dosdevices/$letter:"
if [ -e "$link" ] || [ -L "$link" ]; then
    echo "small-drive: drive $letter: is already mapped in $prefix" >&2
    exit 2
fi
volume=$(mktemp -d "$(cd "$(dirname "$prefix")" && pwd)/smalldrive.XXXXXX") || exit 2
cleanup() {
    rm -f "$link"
    mountpoint -q "$volume" && umount "$volume"
    rmdir "$volume"
}
trap cleanup EXIT
mount -t tmpfs -o size="$bytes",mode=0777 qvxsmall "$volume" || exit 2
ln -s "$volume" "$link"
QVX_SMALL_DRIVE=$letter "$@"
