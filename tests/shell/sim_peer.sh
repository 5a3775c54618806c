#!/usr/bin/env bash
# The other end of the main window tests' virtual COM port: dtusim, which the test can make
# go away and come back through two files in the run's scratch folder ("sim-stop": the
# simulator exits, as when a device is unplugged; "sim-start": it runs again). Every run of the
# simulator appends to the same transcript. A file "sim-args" there adds its words to the
# simulator's options when it starts (another device type, other interfaces).
#   sim_peer.sh DTUSIM
set -u
sim="$1"
dir="$ORVEL_TEST_DIR"
pid=""
start() {
    extra=""
    [ -f "$dir/sim-args" ] && extra="$(cat "$dir/sim-args")"
    # shellcheck disable=SC2086
    "$sim" --tty "$ORVEL_PEER_PTY" --config "$dir/device.cfg" --transcript "$dir/transcript" \
        --control "$dir/control" --prompts 0 --idle-timeout 0 --max-chunk 4096 --seed 11 $extra &
    pid=$!
}
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 0' EXIT TERM INT
start
while :; do
    if [ -e "$dir/sim-stop" ]; then
        rm -f "$dir/sim-stop"
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        pid=""
        touch "$dir/sim-stopped"
    fi
    if [ -e "$dir/sim-start" ]; then
        rm -f "$dir/sim-start" "$dir/sim-stopped"
        [ -z "$pid" ] && start
    fi
    sleep 0.05
done
