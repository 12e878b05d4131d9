#!/usr/bin/env bash
# Does all set-up, builds the agent (Release), starts the built-in console
# simulator on 127.0.0.1:22222 (the address of the default tsk_vnt.ini) and
# runs the agent against it: its window and its icon in the notification area
# on the desktop, or, without a display, the collection with its log on the
# terminal. Ctrl-C stops both. Extra arguments go to the agent (--no-window:
# no window even on a desktop); set TV_SCENARIO to default, minimal, storm,
# frost or vue.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
build_log=$(mktemp)
if ! { cmake --preset run && cmake --build --preset run -j "$(nproc)"; } >"$build_log" 2>&1; then
  cat "$build_log" >&2
  echo "The build failed (output above)." >&2
  rm -f "$build_log"
  exit 1
fi
rm -f "$build_log"
bin=build/run/bin

sim_out=$(mktemp)
"$bin/vantage-simulator" --tcp 127.0.0.1:22222 --scenario "${TV_SCENARIO:-default}" >"$sim_out" 2>&1 &
sim_pid=$!
cleanup() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -f "$sim_out"
}
trap cleanup EXIT
ready=0
for _ in $(seq 100); do
  if grep -q '^ready' "$sim_out"; then ready=1; break; fi
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$ready" -ne 1 ]; then
  echo "The console simulator did not start (is 127.0.0.1:22222 already in use?):" >&2
  cat "$sim_out" >&2
  exit 1
fi
echo "Console simulator: $(head -n1 "$sim_out")"
# Ctrl-C reaches both; the agent quits in order and the simulator stops.
set +e
"$bin/teskaro-ventaro" "$@"
code=$?
set -e
exit "$code"
