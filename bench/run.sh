#!/usr/bin/env bash
# Every benchmark of the program in one run, on this machine, printed as the
# table of bench/README.md (figures and ratios measured side by side):
#   1. a full collection cycle at 19200 baud against its wire-time floor
#   2. the same cycle over unthrottled TCP, and the HiLow service's share
#   3. CPU of the whole Qt program collecting every 10 s (BENCH_CPU_SECONDS,
#      300 by default), per cycle, and its wake-ups per second per thread,
#      between collections and with them (bench/wakeups.sh)
#   4. resident memory of the Qt program after start-up and after
#      BENCH_CYCLES (10,000) cycles in accelerated time
#   4a. resident memory at start-up against an empty Qt widget
#   5. start-up: exec to the window shown, without the start-up pause
#   6. latency from a value changed in the console to the field showing it
#   7. the whole archive downloaded at 19200 baud against its wire-time floor
#   8. the archive store: the 30-day range query of the charts over a year
#   9. the archive store's size per year of 5-minute records
#  10. latency from a value changed in the console to the MQTT state message
#  11. CPU of the headless bridge (--no-window publishing to a local
#      mosquitto) over BENCH_CPU_SECONDS
# Usage: bench/run.sh            (builds the Release preset first)
#        BENCH_NO_BUILD=1 bench/run.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# BENCH_NO_BUILD=1: what is built already (the bench targets and the program).
if [ -z "${BENCH_NO_BUILD:-}" ]; then
  scripts/setup.sh
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)" >/dev/null
fi
bin=build/release/bin
cpu_seconds=${BENCH_CPU_SECONDS:-300}
cycles=${BENCH_CYCLES:-10000}
. scripts/lib/session.sh
session_begin

start_simulator() {  # name; sets $port
  "$bin/vantage-simulator" --tcp 127.0.0.1:0 >"$work/$1.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do grep -q '^ready' "$work/$1.out" && break; sleep 0.1; done
  port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/$1.out")
}

echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n1)," \
  "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo), $(uname -sr)," \
  "load before the run $(cut -d' ' -f1-3 /proc/loadavg)"

# 1, 2
"$bin/stationlib_bench" 2>/dev/null | grep -E '^(pty|tcp|archive)' >"$work/cycle.txt"
serial=$(grep '^pty' "$work/cycle.txt")
tcp=$(grep '^tcp' "$work/cycle.txt")
serial_elapsed=$(sed -n 's/.*elapsed \([0-9.]*\) s.*/\1/p' <<<"$serial")
serial_floor=$(sed -n 's/.*floor \([0-9.]*\) s.*/\1/p' <<<"$serial")
serial_ratio=$(sed -n 's/.*floor [0-9.]* s  ratio \([0-9.]*\).*/\1/p' <<<"$serial")
tcp_ms=$(awk '{for (i = 1; i <= NF; i++) if ($i == "elapsed") printf "%.2f", $(i + 1) * 1000}' <<<"$tcp")
tcp_hilow=$(sed -n 's/.*HiLow share \([0-9.]*\).*/\1/p' <<<"$tcp")
archive=$(grep '^archive' "$work/cycle.txt")
archive_elapsed=$(sed -n 's/.*elapsed \([0-9.]*\) s.*/\1/p' <<<"$archive")
archive_floor=$(sed -n 's/.*floor \([0-9.]*\) s.*/\1/p' <<<"$archive")
archive_ratio=$(sed -n 's/.*ratio \([0-9.]*\).*/\1/p' <<<"$archive")

# 3: the real program under a virtual X server with a tray host, services
# every 10 s: wake-ups per thread over 60 s, and CPU over $cpu_seconds, side
# by side (counts, which the load of the machine does not change).
bench/wakeups.sh "$bin" 15 60 >"$work/wakeups.txt" 2>"$work/wakeups.err" &
wakeups_pid=$!
bench/wakeups.sh "$bin" 15 "$cpu_seconds" >"$work/cpu.txt" 2>"$work/cpu.err"
wait "$wakeups_pid"
field() { awk -v k="$2" '{for (i = 1; i < NF; i++) if ($i == k) print $(i + 1)}' "$1" | tail -n1; }
wakeups=$(field "$work/wakeups.txt" total)
wakeups_idle=$(field "$work/wakeups.txt" idle)
cpu_percent=$(field "$work/cpu.txt" cpu)
cpu_cycle_ms=$(awk -v c="$cpu_percent" -v s="$cpu_seconds" 'BEGIN {printf "%.1f", c / 100 * s * 1000 / (s / 10)}')
cpu_wakeups=$(field "$work/cpu.txt" total)

# 4
start_simulator memory
memory=$(QT_QPA_PLATFORM=offscreen "$bin/desktop-memory-probe" "127.0.0.1@$port" "$cycles" 2>/dev/null)
rss_start=$(awk '{print $4}' <<<"$memory")
rss_end=$(awk '{print $6}' <<<"$memory")

# 5 (and the memory at start-up against the empty widget)
startup=$("$bin/startup_bench" 2>/dev/null | tail -n 4)
startup_ratio=$(sed -n 's/.*start-up to window shown.*ratio \([0-9.]*\).*/\1/p' <<<"$startup")
memory_ratio=$(sed -n 's/.*resident memory at window shown.*ratio \([0-9.]*\).*/\1/p' <<<"$startup")

# 6
latency=$("$bin/latency_bench" 10 8)

# 8, 9
store=$("$bin/archive_bench")
archive_range=$(sed -n 's/^range: //p' <<<"$store")
archive_size=$(sed -n 's/^size: //p' <<<"$store")
# 10
mqtt_latency=$("$bin/mqtt_bench" 10 8)

# 11: the headless bridge, services as in 3, publishing to a broker of its own,
# side by side with the same headless agent without MQTT (the ratio is what
# publishing costs).
# The settings of row 3: all five services every 10 s, alerts on.
mkdir -p "$work/app"
cat >"$work/app/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=0
RefreshServices=10
Notify=0
[CONSOLE]
type=IP
adresse=127.0.0.1@0
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
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
start_simulator bridge
bridge_console=$port
start_simulator headless
headless_console=$port
broker_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
{
  echo "listener $broker_port 127.0.0.1"
  echo "allow_anonymous true"
  echo "persistence false"
  # mosquitto refuses to run as root unless told to stay root.
  [ "$(id -u)" = 0 ] && echo "user root"
} >"$work/mosquitto.conf"
/usr/sbin/mosquitto -c "$work/mosquitto.conf" >"$work/mosquitto.out" 2>&1 &
pids+=($!)
for kind in bridge headless; do
  mkdir "$work/$kind"
  cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/$kind/"
done
sed "s/@[0-9]*\$/@$bridge_console/; s/^\\[ALERTS\\]\$/[MQTT]\\nActive=1\\nPort=$broker_port\\n[ALERTS]/" \
  "$work/app/tsk_vnt.ini" >"$work/bridge/tsk_vnt.ini"
sed "s/@[0-9]*\$/@$headless_console/" "$work/app/tsk_vnt.ini" >"$work/headless/tsk_vnt.ini"
wait_for 100 mosquitto_pub -h 127.0.0.1 -p "$broker_port" -t bench/ping -m 1
mosquitto_sub -h 127.0.0.1 -p "$broker_port" -t 'teskaro-ventaro/state' >"$work/states.out" 2>/dev/null &
pids+=($!)
TV_SOUND_SINK="wav:$work/bridge.wav" "$work/bridge/teskaro-ventaro" --no-window >"$work/bridge.out" 2>&1 &
bridge=$!
pids+=($bridge)
TV_SOUND_SINK="wav:$work/headless.wav" "$work/headless/teskaro-ventaro" --no-window >"$work/headless.out" 2>&1 &
headless=$!
pids+=($headless)
sleep 10
b0=$(ticks "$bridge")
h0=$(ticks "$headless")
n0=$(wc -l <"$work/states.out")
sleep "$cpu_seconds"
b1=$(ticks "$bridge")
h1=$(ticks "$headless")
n1=$(wc -l <"$work/states.out")
kill -TERM "$bridge" "$headless"
wait "$bridge" "$headless" 2>/dev/null || true
percent() { awk -v t="$1" -v hz="$hz" -v s="$cpu_seconds" 'BEGIN {printf "%.3f", 100 * t / hz / s}'; }
bridge_percent=$(percent "$((b1 - b0))")
headless_percent=$(percent "$((h1 - h0))")
bridge_cycle_ms=$(awk -v t="$((b1 - b0))" -v hz="$hz" -v c="$((cpu_seconds / 10))" 'BEGIN {printf "%.1f", 1000 * t / hz / c}')
bridge_states=$((n1 - n0))
bridge_ratio=$(awk -v b="$((b1 - b0))" -v h="$((h1 - h0))" 'BEGIN {printf "%.2f", (h > 0) ? b / h : 0}')

cat <<TABLE

| # | measure | figure | goal | met |
|---|---|---|---|---|
| 1 | full collection cycle (five services) at 19200 baud, pseudo-terminal | ${serial_elapsed} s against a wire-time floor of ${serial_floor} s: ratio ${serial_ratio} | ≤ 1.05 | $(awk -v r="$serial_ratio" 'BEGIN {print (r <= 1.05) ? "yes" : "no"}') |
| 2 | the same cycle over unthrottled TCP | ${tcp_ms} ms per cycle, HiLow service's share ${tcp_hilow} | < 5 ms | $(awk -v m="$tcp_ms" 'BEGIN {print (m < 5) ? "yes" : "no"}') |
| 3 | CPU of the Qt program (xcb (Xvfb), tray host), services every 10 s, ${cpu_seconds} s | ${cpu_percent} % of one core, ${cpu_cycle_ms} ms of CPU per cycle, ${cpu_wakeups} wake-ups per second | ≤ 0.1 % | $(awk -v c="$cpu_percent" 'BEGIN {print (c <= 0.1) ? "yes" : "no"}') |
| 3a | wake-ups of the Qt program, all threads, 60 s after a 15 s warm-up (per thread below) | ${wakeups_idle} per second between collections, ${wakeups} per second with the collections | ≤ 2 per second between collections | $(awk -v w="$wakeups_idle" 'BEGIN {print (w <= 2) ? "yes" : "no"}') |
| 4 | resident memory of the Qt program (offscreen), after start-up and after ${cycles} cycles in accelerated time | ${rss_start} KiB → ${rss_end} KiB | < 60 MB, no growth | $(awk -v a="$rss_start" -v b="$rss_end" 'BEGIN {print (b < 61440 && b - a < 2048) ? "yes" : "no"}') |
| 4a | resident memory at the window shown against an empty Qt widget of the same size (offscreen) | $(grep -m1 'resident memory' <<<"$startup" | sed 's/^resident memory at window shown: //') | ≤ 1.3 | $(awk -v r="$memory_ratio" 'BEGIN {print (r <= 1.3) ? "yes" : "no"}') |
| 5 | start-up, exec to the window shown, no pause (offscreen) | $(grep -m1 'program' <<<"$startup" | sed 's/^ *//') | ratio ≤ 2 | $(awk -v r="$startup_ratio" 'BEGIN {print (r <= 2) ? "yes" : "no"}') |
| 6 | latency, value changed in the console → field showing it, period 10 s | $(sed 's/^latency: //' <<<"$latency") | ≤ period + 1 s | $(awk '{for (i = 1; i <= NF; i++) if ($i == "worst/bound") r = $(i + 1)} END {print (r + 0 <= 1) ? "yes" : "no"}' <<<"$latency") |
| 7 | the whole archive (2560 records, 512 pages) downloaded at 19200 baud, pseudo-terminal | ${archive_elapsed} s against a wire-time floor of ${archive_floor} s: ratio ${archive_ratio} | ≤ 1.10 | $(awk -v r="$archive_ratio" 'BEGIN {print (r <= 1.10) ? "yes" : "no"}') |
| 8 | opening the 30-day charts: the archive store opened and 30 days of 5-minute records read, from a store of one year | ${archive_range} | < 200 ms | $(sed -n 's/.*ratio \([0-9.]*\).*/\1/p' <<<"$archive_range" | awk '{print ($1 < 1) ? "yes" : "no"}') |
| 9 | the archive store's size per year of 5-minute records | ${archive_size} | — | — |
| 10 | latency, value changed in the console → MQTT state message received, period 10 s | $(sed 's/^mqtt latency: //' <<<"$mqtt_latency") | ≤ period + 1 s | $(awk '{for (i = 1; i <= NF; i++) if ($i == "worst" && w == "") w = $(i + 1)} END {print (w + 0 <= 11) ? "yes" : "no"}' <<<"$mqtt_latency") |
| 11 | CPU of the headless bridge (\`--no-window\`, MQTT to a local mosquitto), services every 10 s, ${cpu_seconds} s | ${bridge_percent} % of one core, ${bridge_cycle_ms} ms of CPU per cycle, ${bridge_states} states published; without MQTT ${headless_percent} %, ratio ${bridge_ratio} | < 0.5 % | $(awk -v c="$bridge_percent" -v n="$bridge_states" 'BEGIN {print (c < 0.5 && n > 0) ? "yes" : "no"}') |
TABLE
echo
echo "Wake-ups per thread (row 3a):"
echo
cat "$work/wakeups.txt"
echo
echo "start-up benchmark:"
echo "$startup"
