#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and runs it under Wine.
# With a DISPLAY the window opens there and the script waits until it is closed; without one it
# runs under Xvfb, writes a screenshot to build/win/artifacts/demo.png and stops the program.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset win >/dev/null
cmake --build --preset win --target DtuConfig

build="$(pwd)/build/win"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$WINEPREFIX/.orvel-ready" ]; then
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.orvel-ready"
fi
program="$build/shell/DtuConfig.exe"

if [ -n "${DISPLAY:-}" ]; then
    wine "$program"
    exit 0
fi

scratch="$(mktemp -d)"
Xvfb -displayfd 7 -screen 0 1600x1000x24 -nolisten tcp 7>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k >/dev/null 2>&1; kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$scratch/display")"
wine "$program" &
sleep "${ORVEL_DEMO_SECONDS:-8}"
mkdir -p "$build/artifacts"
xwd -root -silent | convert xwd:- "$build/artifacts/demo.png"
echo "run-demo: screenshot in $build/artifacts/demo.png"
