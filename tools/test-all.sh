#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the native tests under the
# sanitizers, the Windows tests under Wine, and a short run of each fuzzer.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset win
cmake --build --preset win
ctest --preset win

if [ -x tools/fuzz.sh ]; then
    tools/fuzz.sh "${ORVEL_FUZZ_SECONDS:-20}"
fi
echo "test-all: every test passed"
