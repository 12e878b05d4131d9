#!/usr/bin/env bash
# Wake-ups, CPU and resident memory of the real Qt program between its
# collections: the program under a virtual X server with a tray host, against
# the console simulator (default scenario), every service every 10 s. After a
# warm-up it counts, per thread, the context switches (voluntary and
# involuntary) from /proc/PID/task/*/status over a window, and prints one
# table row per thread name (threads of the same name added up), then
#   total <switches per second> cpu <percent of one core> rss <KiB> threads <n>
#
# Usage: bench/wakeups.sh [BIN_DIR] [WARMUP_S] [WINDOW_S]
#        (build/release/bin, 15, 60 by default)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bin=${1:-build/release/bin}
warmup=${2:-15}
window=${3:-60}
. scripts/lib/session.sh
session_begin

"$bin/vantage-simulator" --tcp 127.0.0.1:0 >"$work/sim.out" 2>&1 &
pids+=($!)
wait_for 100 grep -q '^ready' "$work/sim.out" || { echo "simulator did not start" >&2; exit 1; }
port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")

mkdir "$work/app"
cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/app/"
cat >"$work/app/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=0
RefreshServices=10
Notify=0
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=10
[ALERTS]
Active=1
[SERVICES]
CurrentData=10
Alarm=10
HiLow=10
ConfigStation=10
Calibration=10
INI

start_xvfb || { echo "Xvfb did not start" >&2; exit 1; }
tray=none
if command -v trayer >/dev/null; then
  trayer --edge bottom --align right --widthtype request --SetDockType true >/dev/null 2>&1 &
  pids+=($!)
  tray=trayer
  sleep 1
fi
TV_SOUND_SINK="wav:$work/sound.wav" "$work/app/teskaro-ventaro" >"$work/app.out" 2>&1 &
app=$!
pids+=($app)
sleep "$warmup"
[ -n "${BENCH_WAKEUPS_HOOK:-}" ] && $BENCH_WAKEUPS_HOOK "$app"

# tid name switches, one line per live thread.
per_thread() {
  for t in /proc/"$app"/task/*; do
    awk -v tid="${t##*/}" '
      /^Name:/ {sub(/^Name:[ \t]*/, ""); name = $0; gsub(/ /, "_", name)}
      /^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2}
      END {if (name != "") print tid, name, s}' "$t/status" 2>/dev/null || true
  done
}
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
per_thread >"$work/before"
t0=$(ticks)
sleep "$window"
t1=$(ticks)
per_thread >"$work/after"
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$app/status")
threads=$(ls "/proc/$app/task" | wc -l)
kill -TERM "$app"
wait "$app" 2>/dev/null || true
grep -q 'Température' "$work/app.out" || true

hz=$(getconf CLK_TCK)
echo "tray host: $tray, warm-up ${warmup} s, window ${window} s"
echo "| thread | threads | wake-ups per second |"
echo "|---|---|---|"
# A thread started during the window counts from 0.
awk -v w="$window" '
  NR == FNR {before[$1] = $3; next}
  {d = $3 - (($1 in before) ? before[$1] : 0); sum[$2] += d; n[$2]++; total += d}
  END {
    for (k in sum) printf "| %s | %d | %.2f |\n", k, n[k], sum[k] / w | "sort -t\"|\" -k4 -rn"
    close("sort -t\"|\" -k4 -rn")
    printf "total %.2f ", total / w
  }' "$work/before" "$work/after"
awk -v t="$((t1 - t0))" -v hz="$hz" -v w="$window" -v rss="$rss" -v th="$threads" \
  'BEGIN {printf "cpu %.3f rss %d threads %d\n", 100 * t / hz / w, rss, th}'
