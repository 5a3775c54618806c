#!/usr/bin/env bash
# The production line on several ports at once: dtucfg apply of one unit on one port, then of
# four units on four ports (each a socat pair with its own simulated unit at 115200 baud), in
# the same run. The wire is per port, so four ports should take about as long as one: the ratio
# is the program's own cost of running them side by side.
#   tools/bench/station_bench.sh BUILD_DIR
set -eu
build="${1:-build/native}"
dtusim="$build/tools/dtusim/dtusim"
dtucfg="$build/shell/dtucfg"
work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
ms() { echo $(( $(date +%s%N) / 1000000 )); }
for n in 1 2 3 4; do
    socat pty,raw,echo=0,link="$work/device$n" pty,raw,echo=0,link="$work/station$n" &
done
for n in 1 2 3 4; do
    for _ in $(seq 1 100); do [ -e "$work/station$n" ] && break; sleep 0.05; done
done
printf 'Protocol model:PROT\r\nServer'"'"'s Ip:10.0.0.9\r\n' >"$work/template.cfg"
run() { # ports; prints the milliseconds from start to the last report row
    local count="$1" ports="" pids=()
    printf "unit,Modem'sID number,Server's Port\r\n" >"$work/units.csv"
    for n in $(seq 1 "$count"); do
        printf "U-%d,1390000%04d,%d\r\n" "$n" "$n" $((9100 + n)) >>"$work/units.csv"
        ports+=" --port $work/station$n"
    done
    rm -f "$work/report.csv"
    for n in $(seq 1 "$count"); do
        rm -f "$work/unit$n.cfg"
        "$dtusim" --tty "$work/device$n" --config "$work/unit$n.cfg" --prompts 1000 \
            --prompt-interval 100 --idle-timeout 0 --baud 115200 --max-chunk 256 &
        pids+=($!)
    done
    local t0 t1
    t0=$(ms)
    XDG_DATA_HOME="$work/data" "$dtucfg" apply $ports --wait 30 --cfg "$work/template.cfg" \
        --units "$work/units.csv" --report "$work/report.csv" >/dev/null 2>&1 || true
    t1=$(ms)
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    [ "$(grep -c ',verified,' "$work/report.csv")" = "$count" ] || echo "station_bench: not all verified" >&2
    echo $((t1 - t0))
}
one=$(run 1)
four=$(run 4)
awk -v a="$one" -v b="$four" 'BEGIN {
    printf "%-52s %9.1f ms\n", "apply: one unit on one port", a
    printf "%-52s %9.1f ms   floor %9.1f  ratio %5.2f\n", "apply: four units on four ports at once", b, a, b / a }'
