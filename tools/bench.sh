#!/usr/bin/env bash
# Builds and runs every benchmark and prints their figures: the parser and reply assembly
# (native), the operation log's rich edit and the whole program against the simulated device
# (both under Wine; the simulator sends chunks of at most 256 bytes, paced to the baud rate).
# Figures with a floor print it beside them with the ratio.
#   tools/bench.sh [READS]     READS: reads in a row for the working-set figure (default 100)
set -eu
cd "$(dirname "$0")/.."
root="$(pwd)"
reads="${1:-100}"
tools/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target parse_bench dtusim dtucfg >/dev/null
cmake --preset win >/dev/null
cmake --build --preset win --target frame_bench ui_text_bench start_bench trivial_window DtuConfig \
    dtusim_host shell_station_test >/dev/null

echo "== native: listing parser and reply assembly"
build/native/tools/bench/parse_bench
echo "== native: dtucfg against the simulated device"
tools/bench/dtucfg_bench.sh build/native
echo "== native: the production line on one port and on four at once"
tools/bench/station_bench.sh build/native
echo "== Wine: operation log (rich edit)"
tests/harness/winrun --build build/win -- build/win/tools/bench/ui_text_bench.exe 2>/dev/null |
    grep -v '^$' || true
for dpi in 96 192; do
    echo "== Wine: start-up at $dpi DPI"
    tests/harness/winrun --build build/win --dpi "$dpi" -- build/win/tools/bench/start_bench.exe \
        "Z:$root/build/win/dist/DtuConfig.exe" "Z:$root/build/win/tools/bench/trivial_window.exe" 9 \
        2>/dev/null
done
echo "== Wine: the station window while four ports work"
tests/harness/winrun --build build/win --com 13 --com2 14,15,16 --timeout 240 \
    --peer "$root/tests/shell/station_peer.sh $root/build/win/host/dtusim" -- \
    build/win/tests/shell/shell_station_test.exe --gtest_filter='*FourPorts*' 2>/dev/null |
    grep figure || true
echo "== Wine: repainting the maximized window at 192 DPI"
ORVEL_DIST_DIR="Z:$root/build/win/dist/" tests/harness/winrun --build build/win --dpi 192 -- \
    build/win/tools/bench/frame_bench.exe --repaint 2>/dev/null
echo "== Wine: the accessibility tree at 96 DPI"
ORVEL_DIST_DIR="Z:$root/build/win/dist/" tests/harness/winrun --build build/win -- \
    build/win/tools/bench/frame_bench.exe --accessible 2>/dev/null
echo "== Wine: the program against the simulated device (COM9)"
peer="build/win/host/dtusim --tty \"\$ORVEL_PEER_PTY\" --config \"\$ORVEL_TEST_DIR/device.cfg\""
peer+=" --control \"\$ORVEL_TEST_DIR/control\" --prompts 0 --idle-timeout 0 --max-chunk 256"
ORVEL_DIST_DIR="Z:$root/build/win/dist/" tests/harness/winrun --build build/win --com 9 \
    --timeout 900 --peer "$peer" -- build/win/tools/bench/frame_bench.exe "$reads" 2>/dev/null
