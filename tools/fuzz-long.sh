#!/usr/bin/env bash
# A long fuzzing campaign: every libFuzzer target for SECONDS each (default 600), as many at a
# time as there are cores, from the seed corpus; prints per target the executions, the new
# inputs it found (coverage) and whether it crashed (a crashing input is kept in
# build/fuzz/artifacts/). The CI run keeps its short run (tools/fuzz.sh 20).
#   tools/fuzz-long.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
exec tools/fuzz.sh "${1:-600}"
