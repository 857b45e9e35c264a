#!/usr/bin/env bash
# veltaro-cli check read by the real programs that watch estates: its metrics file passes promtool's own
# check and a real node_exporter serves its values; the playbook with the real ansible-playbook on three
# hosts (each its own printer: healthy, near end, gone) writes one report with all three, changes
# nothing and fails no host. No printer hears a command that changes it.
#   estate.sh VELTARO-CLI PRINTER-SIM SOURCE-DIR
set -euo pipefail
cli=$1 sim=$2 source=$3
for program in promtool prometheus-node-exporter ansible-playbook ser2net python3; do
  command -v "$program" >/dev/null || PATH=$PATH:/usr/sbin command -v "$program" >/dev/null ||
    { echo "$program is not installed (scripts/setup installs it)"; exit 1; }
done
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$1"; shift; for file in "$@"; do echo "--- $file"; cat "$file"; done; exit 1; }
. "$(dirname "$0")/loopback.sh"

# The printers' own entries, out of the tool's sight; the tool's port folder names nothing that exists.
export XDG_CONFIG_HOME=$work/config HOME=$work ANSIBLE_NOCOLOR=1
mkdir -p "$work/far" "$XDG_CONFIG_HOME/veltaro/ports"
for n in 1 2 3 4 5 6; do ln -s "/nonexistent/tty$n" "$XDG_CONFIG_HOME/veltaro/ports/COM$n"; done
printer() { # NUMBER OPTIONS...: the printer's device in $device
  local n=$1; shift
  "$sim" --port "$n" --port-folder "$work/far" --verbose "$@" >"$work/printer$n.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -e "$work/far/COM$n" ] && break; sleep 0.1; done
  device=$(readlink "$work/far/COM$n")
}
printer 1 --paper; healthy=$device
printer 2 --paper --near-end; near_end=$device
printer 3 --paper --speed 19200; far=$device

# The third behind ser2net, as a kiosk shares its printer.
share_device "$far" "$work"
pids+=("$server_pid")

# The metrics file: promtool's check, then node_exporter's textfile collector serving it.
mkdir "$work/metrics"
"$cli" check --port "$healthy" --port "$near_end" --port "$remote" --prometheus "$work/metrics/veltaro.prom" \
  >"$work/check.out" 2>&1 || fail "check ended with $?" "$work/check.out"
promtool check metrics <"$work/metrics/veltaro.prom" >"$work/promtool.out" 2>&1 ||
  fail "promtool refused the metrics" "$work/promtool.out" "$work/metrics/veltaro.prom"
exporter_port=$(free_port)
prometheus-node-exporter --web.listen-address="127.0.0.1:$exporter_port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$work/metrics" >/dev/null 2>&1 &
pids+=($!)
served=""
for _ in $(seq 100); do
  served=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1], timeout=5).read().decode())' \
    "http://127.0.0.1:$exporter_port/metrics" 2>/dev/null) && [[ $served == *veltaro_* ]] && break
  sleep 0.2
done
printf '%s\n' "$served" >"$work/served"
for expected in \
  "^veltaro_near_end\{[^}]*name=\"SIM-80 Receipt\",port=\"$near_end\"\} 1$" \
  "^veltaro_near_end\{[^}]*port=\"$healthy\"\} 0$" \
  "^veltaro_speed_bauds\{device=\"$remote\",[^}]*port=\"$remote\"\} 19200$" \
  "^veltaro_sensor_threshold\{[^}]*level=\"paper\",[^}]*port=\"$healthy\"\} 115$" \
  "^veltaro_check_success\{[^}]*port=\"$remote\"\} 1$" \
  "^node_textfile_scrape_error 0$"; do
  grep -Eq "$expected" "$work/served" || fail "node_exporter does not serve $expected" "$work/served"
done

# The playbook: one host a printer, each on this machine.
cat >"$work/inventory.yml" <<EOF
all:
  hosts:
    till-1: {ansible_connection: local, veltaro_cli: "$cli", veltaro_ports: ["$healthy"]}
    till-2: {ansible_connection: local, veltaro_cli: "$cli", veltaro_ports: ["$near_end"]}
    till-3: {ansible_connection: local, veltaro_cli: "$cli", veltaro_ports: ["/dev/veltaro-gone"]}
EOF
ansible-playbook -i "$work/inventory.yml" "$source/contrib/ansible/printer-check.yml" \
  -e "report_dir=$work" >"$work/ansible.out" 2>&1 || fail "ansible-playbook ended with $?" "$work/ansible.out"
for n in 1 2 3; do
  grep -Eq "till-$n +: ok=[0-9]+ +changed=0 +unreachable=0 +failed=0" "$work/ansible.out" ||
    fail "till-$n changed or failed" "$work/ansible.out"
done
python3 - "$work/printers.json" <<'EOF' || fail "printers.json is not the estate" "$work/printers.json"
import json, sys
hosts = {p["host"]: p for p in json.load(open(sys.argv[1]))}
assert sorted(hosts) == ["till-1", "till-2", "till-3"], sorted(hosts)
assert hosts["till-1"]["near_end"] is False and hosts["till-2"]["near_end"] is True
assert hosts["till-3"]["reason"] == "port missing"
EOF
csv=$work/printers.csv
[ "$(grep -c '' "$csv")" -eq 4 ] && grep -q '^host,port,label,device,found,reason,name,speed' "$csv" &&
  [ "$(grep -Ec '^till-2,.*,true,true,true,reflective,' "$csv")" -eq 1 ] &&
  [ "$(grep -c '^till-3,/dev/veltaro-gone,,.*,false,port missing,' "$csv")" -eq 1 ] ||
  fail "printers.csv is not the estate" "$csv"

# Mode, mode store, speed switch and the two calibrations: none of them was sent.
if grep -Eh ' ms  (1B 6F|1B 73|1D 42|1D 4F|1B 6E 63) ' "$work"/printer*.log; then
  fail "a printer heard a command that changes it"
fi
echo "estate: promtool, node_exporter and ansible-playbook read the check"
