#!/usr/bin/env bash
# Does all set-up, builds the agent (Release), starts the built-in console
# simulator on 127.0.0.1:22222 (the address of the default tsk_vnt.ini) and
# runs the agent against it. Ctrl-C stops both. Extra arguments go to the
# agent; set TV_SCENARIO to default, minimal, storm, frost or vue.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null
bin=build/release/bin

sim_out=$(mktemp)
"$bin/vantage-simulator" --tcp 127.0.0.1:22222 --scenario "${TV_SCENARIO:-default}" >"$sim_out" 2>&1 &
sim_pid=$!
cleanup() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -f "$sim_out"
}
trap cleanup EXIT INT TERM
for _ in $(seq 50); do
  grep -q '^ready' "$sim_out" && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "The console simulator did not start (is 127.0.0.1:22222 already in use?):" >&2
    cat "$sim_out" >&2
    exit 1
  fi
  sleep 0.1
done
echo "Console simulator: $(head -n1 "$sim_out")"
"$bin/teskaro-ventaro" --no-window "$@"
