#!/usr/bin/env bash
# The real program on a virtual X server against the console simulator kept
# silent: with an XEmbed tray host, a right click on its icon opens the menu
# and "Quitter l'application" ends it with code 0 within 10 s + 1 s; without a
# tray host it still starts (on a screen 800 pixels high, its whole window
# on the screen), and SIGTERM ends it the same way.
# Usage: tray_quit_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/session.sh"
session_begin
# On failure, everything the programs said goes with the reason.
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.out; do [ -s "$f" ] && { echo "--- ${f##*/}" >&2; tail -n 40 "$f" >&2; }; done
  exit 1
}

# The program reads its settings beside itself: a folder of its own.
cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"

"$bin/vantage-simulator" --tcp 127.0.0.1:0 >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || fail "simulator did not start"
port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")
control=$(sed -n 's/^control 127.0.0.1://p' "$work/sim.out")
exec 5<>"/dev/tcp/127.0.0.1/$control"
printf 'FAULT SILENT\n' >&5
read -r -t 5 reply <&5 || true
[ "${reply%$'\r'}" = "OK" ] || fail "FAULT SILENT: $reply"

cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=0
SeePanelDefault=10
RefreshServices=1
Notify=0
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=10
OffsetService=10
[ALERTS]
Active=0
[SERVICES]
CurrentData=10
INI

start_x() { start_xvfb "$1" || fail "Xvfb did not start"; }


# Seconds, with decimals, until process $1 ends (at most $2 s); its code in $code.
wait_exit() {
  local pid=$1 limit=$2 start end
  start=$(date +%s%N)
  for _ in $(seq $((limit * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "still running after ${limit} s"
  code=0
  wait "$pid" || code=$?
  end=$(date +%s%N)
  elapsed=$(( (end - start) / 1000000 ))
}

window_shown() { xwininfo -name "Teskaro Ventaro v1.0" | grep -q 'IsViewable'; }
tray_icon() {
  # The icon's window is embedded in the tray host's panel.
  xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {p=1; next} p && /teskaro-ventaro/ {print $1; exit}'
}

# --- With a tray host ---------------------------------------------------------
start_x tray
trayer --edge bottom --align right --widthtype request --SetDockType true >"$work/trayer.out" 2>&1 &
pids+=($!)
wait_for 300 sh -c 'xwininfo -root -tree | grep -q "\"panel\": (\"panel\" \"trayer\")"' \
  || { cat "$work/trayer.out" >&2; xwininfo -root -tree >&2; fail "the tray host did not start"; }
"$work/teskaro-ventaro" >"$work/app1.out" 2>&1 &
app=$!
wait_for 300 window_shown || fail "the window was not shown"
icon=""
for _ in $(seq 100); do icon=$(tray_icon); [ -n "$icon" ] && break; sleep 0.1; done
[ -n "$icon" ] || fail "no tray icon"
sleep 1  # the engine is now waiting on the silent console
xdotool mousemove --window "$icon" 8 8 click 3
sleep 0.5  # the menu opens
xdotool key Down Down Return
wait_exit "$app" 12
[ "$code" -eq 0 ] || { cat "$work/app1.out" >&2; fail "quit from the menu: exit code $code"; }
[ "$elapsed" -le 11000 ] || fail "quit from the menu took ${elapsed} ms"
echo "tray menu quit: exit code $code after ${elapsed} ms"

# --- Without a tray host, on a smaller screen -------------------------------------
start_xvfb bare 1280x800x24 || fail "Xvfb did not start"
"$work/teskaro-ventaro" >"$work/app2.out" 2>&1 &
app=$!
wait_for 300 window_shown || { cat "$work/app2.out" >&2; fail "no window without a tray host"; }
read -r x y w h < <(xwininfo -name "Teskaro Ventaro v1.0" | awk '
  /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
[ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1280 ] && [ $((y + h)) -le 800 ] \
  || fail "the window (${w}x${h} at $x,$y) is not within the 1280x800 screen"
echo "on a 1280x800 screen the window (${w}x${h}) is at $x,$y"
sleep 1
kill -TERM "$app"
wait_exit "$app" 12
[ "$code" -eq 0 ] || fail "SIGTERM: exit code $code"
[ "$elapsed" -le 11000 ] || fail "SIGTERM quit took ${elapsed} ms"
grep -q "Pas de zone de notification" "$work/app2.out" || fail "no line saying there is no notification area"
echo "no tray host, SIGTERM: exit code $code after ${elapsed} ms"
