#!/usr/bin/env bash
# Wake-ups, CPU and resident memory of the real Qt program: the program under
# a virtual X server with a tray host, against the console simulator (default
# scenario), every service every 10 s. After a warm-up it reads, once a
# second over a window, the context switches (voluntary and involuntary) of
# each thread from /proc/PID/task/*/status. A second in which the collection
# thread ran, and the one after it (the display drawn from it), belong to the
# collection; the others are "between collections". It prints one table row
# per thread name (threads of the same name added up): wake-ups per second
# over the whole window and between collections; then one line
#   total <per s> idle <per s between collections> cpu <% of one core>
#   rss <KiB> threads <n> idle_seconds <n>
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

# "tid name switches" for each live thread.
per_thread() {
  for t in /proc/"$app"/task/*; do
    awk -v tid="${t##*/}" '
      /^Name:/ {sub(/^Name:[ \t]*/, ""); name = $0; gsub(/ /, "_", name)}
      /^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2}
      END {if (name != "") print tid, name, s}' "$t/status" 2>/dev/null || true
  done
}
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
t0=$(ticks)
start=$(date +%s.%N)
: >"$work/samples"
per_thread | sed 's/^/0 /' >>"$work/samples"
for i in $(seq "$window"); do
  # Each sample on the second of the window, whatever the reading took.
  sleep "$(awk -v s="$start" -v i="$i" -v n="$(date +%s.%N)" 'BEGIN {d = s + i - n; print (d > 0) ? d : 0}')"
  per_thread | sed "s/^/$i /" >>"$work/samples"
done
t1=$(ticks)
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$app/status")
threads=$(ls "/proc/$app/task" | wc -l)
kill -TERM "$app"
wait "$app" 2>/dev/null || true

hz=$(getconf CLK_TCK)
echo "tray host: $tray, warm-up ${warmup} s, window ${window} s"
echo "| thread | threads | wake-ups per second | between collections |"
echo "|---|---|---|---|"
# samples: second tid name switches. A thread started during the window
# counts from 0.
awk -v w="$window" -v hz="$hz" -v t="$((t1 - t0))" -v rss="$rss" -v th="$threads" '
  {
    if ($1 > 0) {
      d = $4 - (($2 in last) ? last[$2] : 0)
      delta[$1, $3] += d
      names[$3] = 1
      if ($3 == "collection" && d > 0) busy[$1] = 1
    }
    last[$2] = $4
    tids[$3, $2] = 1
  }
  END {
    for (k in tids) {split(k, p, SUBSEP); count[p[1]]++}
    idle_s = 0
    for (i = 1; i <= w; i++) {
      idle[i] = !(i in busy) && !((i - 1) in busy)
      idle_s += idle[i]
    }
    for (n in names) {
      all = 0; quiet = 0
      for (i = 1; i <= w; i++) {all += delta[i, n]; if (idle[i]) quiet += delta[i, n]}
      total += all; total_idle += quiet
      printf "| %s | %d | %.2f | %.2f |\n", n, count[n], all / w, idle_s ? quiet / idle_s : 0 | "sort -t\"|\" -k4 -rn"
    }
    close("sort -t\"|\" -k4 -rn")
    printf "total %.2f idle %.2f cpu %.3f rss %d threads %d idle_seconds %d\n", total / w,
      idle_s ? total_idle / idle_s : 0, 100 * t / hz / w, rss, th, idle_s
  }' "$work/samples"
