#!/usr/bin/env bash
# A crash leaves something useful, under Wine: a fault forced in dtucfg.exe (in its device
# engine's worker), in the window thread of DtuConfig.exe and in the window's engine worker
# each writes a minidump and a report whose stack names at least five of the program's own
# functions (from the symbol map beside the executable), in the data folder of the (portable)
# unpacked program; a later start is told where the report is.
#   crash_test.sh SOURCE_DIR BUILD_DIR
set -eu
source="$1" build="$2"
dist="$build/dist"
fail() { echo "crash_test: $*" >&2; rm -rf "$dist/crashes"; exit 1; }
run() { "$source/tests/harness/winrun" --build "$build" --timeout 60 -- "$@"; }
rm -rf "$dist/crashes"
[ -s "$dist/dtucfg.map" ] && [ -s "$dist/DtuConfig.map" ] || fail "no symbol maps beside the programs"

check() { # program, a function the stack must name, how many of its own at least
    local report
    report="$(ls "$dist/crashes/$1"-crash-*.txt 2>/dev/null | head -n1)"
    [ -n "$report" ] || fail "$1 left no report"
    [ -s "${report%.txt}.dmp" ] || fail "$1 left no minidump"
    local own
    own="$(grep -E '^  #' "$report" | grep -vc 'outside the program' || true)"
    [ "$own" -ge "$3" ] || fail "$1's stack names $own of its own functions: $(cat "$report")"
    grep -q "$2" "$report" || fail "$1's stack does not name $2: $(cat "$report")"
    grep -q "exception 0xC0000005" "$report" || fail "$1's report does not name the fault"
}

code=0
run "$dist/dtucfg.exe" crash-test >/dev/null 2>&1 || code=$?
[ "$code" != 0 ] || fail "dtucfg.exe crash-test ended well"
check dtucfg "CDeviceLink::RunWorker" 5
rm -rf "$dist/crashes"

ORVEL_CRASH_TEST=window run "$dist/DtuConfig.exe" >/dev/null 2>&1 || true
check DtuConfig "COrvelFrameWnd::HandleMessage" 5
[ -f "$dist/crashes/last-crash.txt" ] || fail "the next start would not be told"
rm -rf "$dist/crashes"

ORVEL_CRASH_TEST=worker run "$dist/DtuConfig.exe" >/dev/null 2>&1 || true
check DtuConfig "CDeviceLink::RunWorker" 5
rm -rf "$dist/crashes"
echo "crash_test: passed"
