#!/usr/bin/env bash
# dtucfg natively against the simulated device at 115200 baud (output paced to the rate, chunks
# of at most 256 bytes): a read, and a write of N changed values with its verification, each
# beside its floor (the listing's wire time, 200 ms between commands).
#   tools/bench/dtucfg_bench.sh BUILD_DIR
set -eu
build="${1:-build/native}"
dtusim="$build/tools/dtusim/dtusim"
dtucfg="$build/shell/dtucfg"
work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
socat pty,raw,echo=0,link="$work/device" pty,raw,echo=0,link="$work/station" &
for _ in $(seq 1 100); do [ -e "$work/station" ] && break; sleep 0.05; done
"$dtusim" --tty "$work/device" --config "$work/device.cfg" --prompts 0 --idle-timeout 0 \
    --baud 115200 --max-chunk 256 &
sleep 0.3
ms() { echo $(( $(date +%s%N) / 1000000 )); }
figure() { # name, ms, floor
    awk -v n="$1" -v v="$2" -v f="$3" \
        'BEGIN { printf "%-52s %9.1f ms   floor %9.1f  ratio %5.2f\n", n, v, f, v / f }'
}
t0=$(ms)
"$dtucfg" read --port "$work/station" --wait 0 --out "$work/unit.cfg" >/dev/null 2>&1
t1=$(ms)
bytes=$(wc -c <"$work/unit.cfg")
# The listing on the wire (10 bits a byte), "+++" and its answer, the command spacing.
wire=$(awk -v b="$bytes" 'BEGIN { print b * 10 * 1000 / 115200 }')
figure "dtucfg read at 115200 baud ($bytes bytes)" $((t1 - t0)) \
    "$(awk -v w="$wire" 'BEGIN { print w + 200 }')"
# The work mode whose pages use the modem ID and the servers (not measured).
printf "Protocol model:PROT\r\n" >"$work/mode.cfg"
"$dtucfg" write --yes --port "$work/station" --wait 0 --cfg "$work/mode.cfg" >/dev/null 2>&1 || true
for n in 1 8; do
    cfg="$work/part$n.cfg"
    printf "Server's Port:%d\r\n" $((9000 + RANDOM % 500)) >"$cfg"
    [ "$n" -gt 1 ] && printf "Modem's ID number:139%08d\r\nModem's Phone Number:138%08d\r\nServer's Ip:10.9.%d.1\r\nSecondary Server's Ip:10.9.%d.2\r\nSecondary Server's Port:%d\r\nHeartbeat poll time seconds:%d\r\nAccess Point Name:bench%d\r\n" \
        $RANDOM $RANDOM $((RANDOM % 200)) $((RANDOM % 200)) $((7000 + RANDOM % 500)) \
        $((30 + RANDOM % 60)) $RANDOM >>"$cfg"
    t0=$(ms)
    out=$("$dtucfg" write --yes --port "$work/station" --wait 0 --cfg "$cfg" 2>/dev/null || true)
    t1=$(ms)
    written=$(printf "%s\n" "$out" | grep -c "verified" || true)
    # The listing read, 200 ms for each write, the verification read (and the 200 ms between
    # "+++" and the first read).
    floor=$(awk -v w="$wire" -v n="$written" 'BEGIN { print 2 * w + (n + 1) * 200 }')
    figure "dtucfg write of $written value(s), verified at 115200" $((t1 - t0)) "$floor"
done
