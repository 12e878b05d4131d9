#!/usr/bin/env bash
# The real program on a virtual X server with a tray host, collecting every
# second from the console simulator while the simulator goes through its
# faults (silence, stalled answers, corrupt CRCs, garbage, a connection
# dropped mid-packet, slow answers, the console gone and back on the same
# port). After each fault the console must be asked for data again within a
# few seconds, and at the end the program must still be running with as many
# threads and descriptors as after its start (or fewer).
# Usage: soak_test.sh BIN_DIR [SECONDS_PER_FAULT]
set -euo pipefail
bin=$(cd "$1" && pwd)
held=${2:-3}
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/session.sh"
session_begin
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.out; do [ -s "$f" ] && { echo "--- ${f##*/}" >&2; tail -n 40 "$f" >&2; }; done
  exit 1
}

cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"

port=0
start_simulator() {
  : >"$work/sim.out"
  "$bin/vantage-simulator" --tcp "127.0.0.1:$port" >"$work/sim.out" 2>&1 &
  sim=$!
  pids+=($sim)
  for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
  grep -q '^ready' "$work/sim.out" || fail "simulator did not start"
  port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")
  local control
  control=$(sed -n 's/^control 127.0.0.1://p' "$work/sim.out")
  exec 5<>"/dev/tcp/127.0.0.1/$control"
}
# One control request; its reply in $reply.
ask() {
  printf '%s\n' "$1" >&5
  reply=""
  read -r -t 5 reply <&5 || true
  reply=${reply%$'\r'}
}
# Bytes the console has sent so far: they grow only while it answers.
answered() {
  ask STATS
  sed -n 's/.*bytes_out=\([0-9]*\).*/\1/p' <<<"$reply"
}
start_simulator

cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=0
SeePanelDefault=10
RefreshServices=1
Notify=0
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=2
OffsetService=1
[ALERTS]
Active=1
[SERVICES]
CurrentData=1
Alarm=5
HiLow=10
ConfigStation=20
Calibration=20
INI

start_xvfb || fail "Xvfb did not start"
trayer --edge bottom --align right --widthtype request --SetDockType true >"$work/trayer.out" 2>&1 &
pids+=($!)

TV_SOUND_SINK="wav:$work/sound.wav" "$work/teskaro-ventaro" >"$work/app.out" 2>&1 &
app=$!
pids+=($app)

# Waits (at most $1 s) until the console has sent more than $2 bytes; false
# on time-out.
asked_beyond() {
  local limit=$1 seen=$2
  for _ in $(seq $((limit * 10))); do
    local now
    now=$(answered)
    [ -n "$now" ] && [ "$now" -gt "$seen" ] && return 0
    sleep 0.1
  done
  return 1
}
asked_beyond 30 0 || fail "no collection at start"
sleep 3
threads0=$(ls "/proc/$app/task" | wc -l)
fds0=$(ls "/proc/$app/fd" | wc -l)
rss0=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")

faults=0
for fault in "SILENT|SILENT OFF" "STOP_AFTER 5|STOP_AFTER OFF" "BAD_CRC 5|" "GARBAGE 200|" \
  "DROP_MID|" "SLOW 20|SLOW OFF" "restart|"; do
  on=${fault%%|*}
  off=${fault#*|}
  if [ "$on" = restart ]; then
    kill -KILL "$sim"
    wait "$sim" 2>/dev/null || true
    sleep "$held"
    start_simulator
  else
    ask "FAULT $on"
    [ "$reply" = OK ] || fail "FAULT $on: $reply"
    sleep "$held"
    if [ -n "$off" ]; then
      ask "FAULT $off"
      [ "$reply" = OK ] || fail "FAULT $off: $reply"
    fi
  fi
  faults=$((faults + 1))
  kill -0 "$app" 2>/dev/null || fail "the program ended during $on"
  # Two collection cycles at most (each bounded by the 2 s time-out) before
  # the console answers again, then a few healthy seconds.
  before=$(answered)
  asked_beyond 10 "${before:-0}" || fail "no collection after $on"
  sleep 2
  before=$(answered)
  asked_beyond 5 "$before" || fail "collection stopped after $on"
done

threads1=$(ls "/proc/$app/task" | wc -l)
fds1=$(ls "/proc/$app/fd" | wc -l)
rss1=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
kill -TERM "$app"
code=0
wait "$app" || code=$?
[ "$code" -eq 0 ] || fail "SIGTERM: exit code $code"
# Qt ends some of its own start-up threads on its own time: fewer is fine,
# more would be a leak.
[ "$threads1" -le "$threads0" ] || fail "threads $threads0 after start, $threads1 at the end"
[ "$fds1" -le "$fds0" ] || fail "descriptors $fds0 after start, $fds1 at the end"
echo "desktop soak: faults injected $faults, survived $faults, threads $threads0/$threads1," \
  "fds $fds0/$fds1, RSS first/last $rss0/$rss1 KiB"
