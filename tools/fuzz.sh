#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each of them for a while, as
# many at a time as there are cores.
#   tools/fuzz.sh [SECONDS]      SECONDS per target, default 20
# Environment: ORVEL_FUZZ_BUILD  build tree (default build/fuzz, the preset's own).
# Each run starts from a temporary copy of the seed corpus tests/fuzz/corpus/<target>/ (and uses
# the dictionary tests/fuzz/<target>.dict when there is one), so new
# inputs never land in the repository; a crashing input is kept in <build>/artifacts/.
# Exits non-zero when a target crashes or fails its checks.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-20}"
build="${ORVEL_FUZZ_BUILD:-build/fuzz}"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"
# One target's run; its summary goes to $work/<target>.result, a failure to <target>.failed.
run_one() {
    local fuzzer="$1" name corpus
    name="$(basename "$fuzzer")"
    corpus="$work/$name"
    mkdir -p "$corpus"
    if [ -d "tests/fuzz/corpus/$name" ]; then
        cp -r "tests/fuzz/corpus/$name/." "$corpus/"
    fi
    local options=()
    if [ -f "tests/fuzz/$name.dict" ]; then
        options+=("-dict=tests/fuzz/$name.dict")
    fi
    if "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" \
        -artifact_prefix="$build/artifacts/$name-" "$corpus" >"$build/$name.log" 2>&1; then
        local runs added
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log" | tail -1)"
        added="$(sed -n 's/^stat::new_units_added: *//p' "$build/$name.log" | tail -1)"
        echo "fuzz: $name ${runs:-0} executions, ${added:-0} new inputs, no crash" \
            >"$work/$name.result"
    else
        touch "$work/$name.failed"
    fi
}
# The targets run as many at a time as the machine has cores.
jobs="$(nproc 2>/dev/null || echo 1)"
running=0
targets=()
for fuzzer in "$build"/tests/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    targets+=("$fuzzer")
    echo "fuzz: $(basename "$fuzzer") for ${seconds}s"
    run_one "$fuzzer" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait
failed=0
for fuzzer in "${targets[@]}"; do
    name="$(basename "$fuzzer")"
    if [ -e "$work/$name.failed" ] || [ ! -e "$work/$name.result" ]; then
        tail -40 "$build/$name.log"
        echo "fuzz: $name failed (log $build/$name.log)"
        failed=1
    else
        cat "$work/$name.result" 2>/dev/null || true
    fi
done
[ "$failed" -eq 0 ] || exit 1
echo "fuzz: every target ran clean"
