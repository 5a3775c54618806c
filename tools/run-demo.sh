#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine against the simulated device (dtusim) on a
# virtual COM port (COM5), from the unpacked program folder build/win/dist.
# With a DISPLAY the window opens there and the script waits until it is closed; without one it
# runs under Xvfb, opens the port, writes a screenshot to build/win/artifacts/demo.png and stops
# the program. The harness's prefix links a Chinese font (fonts-wqy-microhei, installed by
# tools/setup.sh) to the system's dialog faces, so that the Chinese skin's message boxes and file
# dialog show their texts; the README says how to do the same in a Wine prefix of your own.
set -eu
cd "$(dirname "$0")/.."
root="$(pwd)"
tools/setup.sh
build="${ORVEL_DEMO_BUILD:-$root/build/win}"
cmake --preset win -B "$build" >/dev/null
cmake --build "$build" --target DtuConfig dtusim_host

dist="$build/dist"
state="$build/demo"
mkdir -p "$state" "$build/artifacts"
# The simulator keeps the device's configuration between runs, and writes what it received.
dtusim="$build/host/dtusim --tty \"\$ORVEL_PEER_PTY\" --config \"$state/device.cfg\""
dtusim+=" --transcript \"$state/transcript\" --control \"$state/control\" --prompts 40"

cd "$dist"
if [ -n "${DISPLAY:-}" ]; then
    ORVEL_USE_DISPLAY="$DISPLAY" "$root/tests/harness/winrun" --build "$build" --com 5 \
        --peer "$dtusim" --timeout 86400 -- "$dist/DtuConfig.exe"
    exit 0
fi

# Without a display: the peer also plays the user (mouse clicks at the places of the port
# chooser, "Open port" and "Read device" of the window centred on the 1600 x 1000 screen) and
# takes the screenshot;
# then the run ends at the time limit.
shot="$build/artifacts/demo.png"
rm -f "$shot"
seconds="${ORVEL_DEMO_SECONDS:-30}"
click="python3 $root/tools/demo-click.py"
# The port chooser lists the ports in the system's order, the simulator's COM5 last, and then
# "Network port...": its drop-down list is opened and the item above the last one taken with the
# End, Up and Return keys.
peer="$dtusim & sim=\$!; trap 'kill \$sim' EXIT TERM; sleep 6; $click 200 166;"
peer+=" $click --key End Up Return; $click 656 166;"
peer+=" sleep 3; $click 1182 247; $click --move 1560 960; sleep 10; xwd -root -silent | convert xwd:- \"$shot\"; wait"
# The program runs until the time limit stops it: that is the plan, not a failure, so the
# harness's time-limit line is left out and the demo says what it did.
status=0
"$root/tests/harness/winrun" --build "$build" --com 5 --peer "$peer" --timeout "$seconds" \
    -- "$dist/DtuConfig.exe" 2> >(grep -v "did not end within" >&2) || status=$?
[ -s "$shot" ] || { echo "run-demo: no screenshot was taken (status $status)" >&2; exit 1; }
case "$status" in
0 | 124) echo "run-demo: opened COM5, read the simulated device, screenshot in $shot;" \
    "program stopped after $seconds s as planned" ;;
*) echo "run-demo: screenshot in $shot; the program ended with status $status before" \
    "its $seconds s" ;;
esac
