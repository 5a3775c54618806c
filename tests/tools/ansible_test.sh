#!/usr/bin/env bash
# The example playbook under Ansible against two "stations" on this machine
# (ansible_connection=local), each with its own pty and simulated device: both change, a second
# run changes nothing, --check --diff sends no set command and shows the diff, a device refusing
# a value fails its station only, and the merged report holds both stations' rows.
#   ansible_test.sh DTUCFG DTUSIM SOURCE_DIR
set -eu
dtucfg="$1" dtusim="$2" source="$3"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "${KEEP:-}" ] || rm -rf "$work"; echo "work: $work" >&2
}
trap cleanup EXIT
fail() { echo "ansible_test: $*" >&2; exit 1; }

cp -r "$source/ansible" "$work/ansible"
"$source/tools/ansible-module.sh" "$dtucfg" "$work/ansible/collections" >/dev/null

for s in 1 2; do
    "$dtusim" --config "$work/s$s.device" --transcript "$work/s$s.transcript" \
        --control "$work/s$s.control" --prompts 100000 --prompt-interval 200 --baud 0 \
        > "$work/s$s.pty" 2>/dev/null &
    pids+=($!)
done
for s in 1 2; do
    for _ in $(seq 100); do [ -s "$work/s$s.pty" ] && break; sleep 0.05; done
done
printf 'Protocol model:PROT\r\nServer'"'"'s Ip:10.0.0.9\r\n' > "$work/template.cfg"
printf 'unit,Modem'"'"'sID number,Server'"'"'s Port\r\nS1-1,13900000011,9111\r\n' > "$work/units1.csv"
printf 'unit,Modem'"'"'sID number,Server'"'"'s Port\r\nS2-1,13900000021,9121\r\n' > "$work/units2.csv"
cat > "$work/inventory.ini" <<INVENTORY
[stations]
station1 ansible_connection=local dtu_port=$(cat "$work/s1.pty") dtu_units=$work/units1.csv dtu_station_dir=$work/station1
station2 ansible_connection=local dtu_port=$(cat "$work/s2.pty") dtu_units=$work/units2.csv dtu_station_dir=$work/station2

[stations:vars]
dtu_template=$work/template.cfg
dtu_skin=$source/skin/ConifgENRes
dtu_backups=$work/backups
dtu_reports=$work/reports
dtu_wait=30
ansible_python_interpreter=$(command -v python3)

[local]
localhost ansible_connection=local ansible_python_interpreter=$(command -v python3)
INVENTORY
mkdir -p "$work/reports" "$work/callbacks"
# Records every task result as a JSON line (the json stdout callback is not part of ansible-core).
cat > "$work/callbacks/record.py" <<'PY'
import json, os
from ansible.plugins.callback import CallbackBase

class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = "aggregate"
    CALLBACK_NAME = "record"
    CALLBACK_NEEDS_ENABLED = True

    def _record(self, result, failed):
        with open(os.environ["RECORD_FILE"], "a") as out:
            out.write(json.dumps({"task": result._task.get_name(), "host": result._host.get_name(),
                                  "failed": failed, "result": result._result}) + "\n")

    def v2_runner_on_ok(self, result):
        self._record(result, False)

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._record(result, True)
PY

# Runs the playbook; prints "host changed failed" for the dtucfg task of each station.
run() {
    rm -f "$work/run.json"
    RECORD_FILE="$work/run.json" ANSIBLE_CALLBACK_PLUGINS="$work/callbacks" \
    ANSIBLE_CALLBACKS_ENABLED=record \
    ANSIBLE_COLLECTIONS_PATH="$work/ansible/collections" \
    ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_REMOTE_TEMP="$work/tmp" ANSIBLE_NOCOLOR=1 \
    ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_RETRY_FILES_ENABLED=False \
        ansible-playbook -i "$work/inventory.ini" "$work/ansible/playbook.yml" \
            -e "dtu_reports=$work/reports" "$@" > "$work/run.out" 2> "$work/run.err" || true
    python3 - "$work/run.json" <<'PY'
import json, sys
lines = [json.loads(line) for line in open(sys.argv[1])]
for line in sorted(lines, key=lambda l: l["host"]):
    if line["task"].startswith("Apply"):
        result = line["result"]
        diff = result.get("diff", {})
        if isinstance(diff, list):
            diff = diff[0] if diff else {}
        print(line["host"], bool(result.get("changed")), line["failed"] or bool(result.get("failed")),
              json.dumps(diff.get("after", "")))
PY
}
power_up() { for s in 1 2; do echo prompt >> "$work/s$s.control"; done; sleep 0.5; }
sets() { grep -ao 'A[Tt]+[A-Z]*=[^[:cntrl:]]*' "$work/s$1.transcript" | wc -l; }

first="$(run)"
echo "$first"
grep -q '^station1 True False' <<<"$first" || fail "station1 did not change: $(cat "$work/run.err")"
grep -q '^station2 True False' <<<"$first" || fail "station2 did not change"
merged="$work/reports/merged.csv"
[ -f "$merged" ] || fail "no merged report"
grep -q ',S1-1,.*,verified,' "$merged" || fail "station1's row is not in the merged report"
grep -q ',S2-1,.*,verified,' "$merged" || fail "station2's row is not in the merged report"
[ "$(grep -c '^time,' "$merged")" = 1 ] || fail "the merged report has one header"

power_up
second="$(run)"
echo "$second"
grep -q '^station1 False False' <<<"$second" || fail "a second run changed station1"
grep -q '^station2 False False' <<<"$second" || fail "a second run changed station2"

# Someone changed the units' server address by hand: the dry run shows it put back.
for s in 1 2; do
    XDG_DATA_HOME="$work/data" "$dtucfg" write --yes --wait 0 --port "$(cat "$work/s$s.pty")" \
        --skin "$source/skin/ConifgENRes" --set "Server's Ip=10.0.0.10" >/dev/null 2>&1 ||
        fail "the hand-made change on station $s"
done
power_up
before1="$(sets 1)" before2="$(sets 2)"
check="$(run --check --diff)"
echo "$check"
grep -q '^station1 True False .*10.0.0.9' <<<"$check" || fail "check mode shows no diff for station1"
grep -q '^station2 True False .*10.0.0.9' <<<"$check" || fail "check mode shows no diff for station2"
[ "$(sets 1)" = "$before1" ] && [ "$(sets 2)" = "$before2" ] || fail "check mode sent set commands"

power_up
printf 'unit,Modem'"'"'sID number,MSBITV\r\nS2-1,13900000021,x1\r\n' > "$work/units2.csv"
refused="$(run)"
echo "$refused"
grep -q '^station1 True False' <<<"$refused" || fail "station1 failed with station2"
grep -q '^station2 [A-Za-z]* True' <<<"$refused" || fail "the refused value did not fail station2"
echo "ansible_test: passed"
