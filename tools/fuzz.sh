#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each of them for a while.
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
for fuzzer in "$build"/tests/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name="$(basename "$fuzzer")"
    corpus="$work/$name"
    mkdir -p "$corpus"
    if [ -d "tests/fuzz/corpus/$name" ]; then
        cp -r "tests/fuzz/corpus/$name/." "$corpus/"
    fi
    options=()
    if [ -f "tests/fuzz/$name.dict" ]; then
        options+=("-dict=tests/fuzz/$name.dict")
    fi
    echo "fuzz: $name for ${seconds}s"
    "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" \
        -artifact_prefix="$build/artifacts/$name-" "$corpus" >"$build/$name.log" 2>&1 ||
        { tail -40 "$build/$name.log"; echo "fuzz: $name failed (log $build/$name.log)"; exit 1; }
    grep -E '^stat::number_of_executed_units' "$build/$name.log" | sed "s/^/fuzz: $name /" || true
done
echo "fuzz: every target ran clean"
