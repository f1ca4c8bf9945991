#!/usr/bin/env bash
# Builds everything and runs every test: the host unit tests (native, sanitizers) and the
# Windows tests and end-to-end scenarios under Wine. Each Windows test program runs in its own
# throw-away copy of the pristine Wine prefix and on its own Xvfb (scripts/wine-run.sh), so
# ctest runs several side by side. Leaves the builds (see scripts/build.sh) behind.
set -uo pipefail
cd "$(dirname "$0")/.."
B=$(realpath -m "${BUILD_ROOT:-build}")  # where the builds go
scripts/bootstrap.sh || exit 1

winbuild=$(scripts/build.sh) || exit 1
unset DISPLAY
jobs=${QVX_TEST_JOBS:-3}  # Wine tests spend much of their time waiting for windows

status=0
rm -f "$B"/*-tests.log
echo "test: host" >&2
ctest --test-dir "$B"/host --output-on-failure >"$B"/host-tests.log 2>&1 || status=1
echo "test: $(basename "$winbuild") under Wine" >&2
# Once, before the tests run side by side: the pristine prefix they all copy.
scripts/wine-run.sh --root "$winbuild"/wine --arch "$(basename "$winbuild")" cmd /c exit >/dev/null 2>&1
ctest --test-dir "$winbuild" -j"$jobs" --output-on-failure >"$B"/win-tests.log 2>&1 || status=1
if [ "$winbuild" != "$B"/win32 ]; then
    # The shipped PE32 build cannot run here; check what can be checked without running it.
    ctest --test-dir "$B"/win32 -L format --output-on-failure >"$B"/win32-tests.log 2>&1 || status=1
fi

passed=0; failed=0
for log in "$B"/host-tests.log "$B"/win-tests.log "$B"/win32-tests.log; do
    [ -f "$log" ] || continue
    grep -E '(Passed|Failed|\*\*\*|Not Run|Timeout).*sec$|tests passed' "$log" || true
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line"); bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    [ -n "$line" ] || { status=1; continue; }
    [ "$bad" -eq 0 ] || cat "$log"
    passed=$((passed + total - bad)); failed=$((failed + bad))
done
[ "$failed" -eq 0 ] || status=1
echo "ctest: $passed passed, $failed failed (logs: $B/*-tests.log)"
exit $status
