#!/usr/bin/env bash
# --export-history beside a running agent: the real program collecting from
# the console simulator (holding the one-agent lock, writing the archive
# store), and the same program started again to export the store. The export
# takes no lock, is neither refused nor held up by the writer, ends with code
# 0 and writes the records; the agent goes on.
# Usage: export_beside_agent_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../../scripts/lib/session.sh"
session_begin
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.out; do [ -s "$f" ] && { echo "--- ${f##*/}" >&2; tail -n 20 "$f" >&2; }; done
  exit 1
}

cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"
"$bin/vantage-simulator" --tcp 127.0.0.1:0 >"$work/sim.out" 2>&1 &
pids+=($!)
wait_for 100 grep -q '^ready' "$work/sim.out" || fail "simulator did not start"
port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")
cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
RefreshServices=1
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=5
[SERVICES]
CurrentData=2
[ARCHIVE]
Active=1
Folder=$work/data
INI
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

"$work/teskaro-ventaro" --no-window >"$work/agent.out" 2>&1 &
agent=$!
pids+=($agent)
wait_for 300 test -s "$work/data/archive.sqlite" || fail "the agent made no store"
ls "$XDG_RUNTIME_DIR"/teskaro-ventaro-*.lock >/dev/null 2>&1 || fail "the agent holds no lock"

# While the agent downloads the console's memory into the store: each export
# must succeed; go on until one holds records.
exported=0
for attempt in $(seq 30); do
  code=0
  timeout 30 "$work/teskaro-ventaro" --export-history 2000-01-01 2100-12-31 "$work/all.csv" \
    >"$work/export.out" 2>&1 || code=$?
  [ "$code" -eq 0 ] || fail "export $attempt beside the agent ended with code $code"
  [ -s "$work/all.csv" ] || fail "export $attempt wrote no file"
  exported=$(($(wc -l <"$work/all.csv") - 1))
  [ "$exported" -gt 0 ] && break
  sleep 0.5
done
[ "$exported" -gt 0 ] || fail "no records exported after $attempt exports"
head -n 1 "$work/all.csv" | grep -q '^console_time,utc,outside_temp' || fail "not the CSV header"
kill -0 "$agent" 2>/dev/null || fail "the agent ended"
grep -q "fonctionne déjà" "$work/agent.out" && fail "the agent saw a second agent"
echo "export beside the agent: code 0, $exported records ($(cat "$work/export.out")), after $attempt export(s)"
kill -TERM "$agent"
wait "$agent" 2>/dev/null || true
