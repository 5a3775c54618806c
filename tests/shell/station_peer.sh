#!/usr/bin/env bash
# The other ends of the station test's virtual COM ports: a unit on each, powered on and
# prompting until it is configured, each with its own ID (13900000301 on the first port,
# 13900000302 on the second, and on).
#   station_peer.sh DTUSIM
set -u
sim="$1"
dir="$ORVEL_TEST_DIR"
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; exit 0' EXIT TERM INT
ptys=("$ORVEL_PEER_PTY")
for n in 2 3 4 5 6 7 8; do
    name="ORVEL_PEER_PTY$n"
    [ -n "${!name:-}" ] && ptys+=("${!name}")
done
n=1
for pty in "${ptys[@]}"; do
    printf "Modem's ID number:\t1390000030%d\n" "$n" > "$dir/unit$n.device"
    "$sim" --tty "$pty" --config "$dir/unit$n.device" --transcript "$dir/transcript$n" \
        --prompts 100000 --prompt-interval 200 --idle-timeout 0 --baud 0 &
    pids+=($!)
    n=$((n + 1))
done
wait
