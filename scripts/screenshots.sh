#!/usr/bin/env bash
# Captures the desktop program as a user sees it: on a virtual X server with a
# tray host, against the console simulator, once per detail page after the
# first collection. Writes build/screenshots/page-01.png … page-10.png (the
# window) and desktop.png (the whole screen with the tray); with the default
# scenario, the first page is also the README's picture, docs/main-window.png.
# Then the history window after three simulated days of the scenario's
# weather: history-24h.png, history-7j.png, history-30j.png.
# Usage: scripts/screenshots.sh [scenario]   (default, minimal, storm, frost, vue)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null
bin=$(pwd)/build/release/bin
out=$(pwd)/build/screenshots
mkdir -p "$out"
. scripts/lib/session.sh
session_begin
cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"

"$bin/vantage-simulator" --tcp 127.0.0.1:0 --scenario "${1:-default}" \
  --start "2024-06-21 14:00:00" >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")

start_xvfb || { echo "Xvfb did not start" >&2; exit 1; }
trayer --edge bottom --align right --widthtype request --SetDockType true >/dev/null 2>&1 &
pids+=($!)
sleep 1

for page in $(seq 1 10); do
  sed "s/^SeePanelDefault=.*/SeePanelDefault=$page/;
       s/^adresse=.*/adresse=127.0.0.1@$port/" "$bin/tsk_vnt.ini" >"$work/tsk_vnt.ini"
  "$work/teskaro-ventaro" >"$work/app.out" 2>&1 &
  app=$!
  sleep "${TV_SHOT_WAIT:-6}"  # the pause, the connection and the first collection
  name=$(printf 'page-%02d.png' "$page")
  import -window root -crop 813x559+242+395 +repage "$out/$name"
  [ "$page" -eq 1 ] && import -window root "$out/desktop.png"
  kill -TERM "$app"
  wait "$app" || true
done
# --- The history window -------------------------------------------------------
# A console that has run for three days (simulated in one step from an empty
# memory up to now), its archive fetched by the program into a store of its own.
"$bin/vantage-simulator" --tcp 127.0.0.1:0 --scenario "${1:-default}" --archive-empty \
  --start "$(date -d '3 days ago' '+%Y-%m-%d %H:%M:%S')" >"$work/sim2.out" 2>&1 &
pids+=($!)
wait_for 100 grep -q '^ready' "$work/sim2.out"
port2=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim2.out")
control=$(sed -n 's/^control 127.0.0.1://p' "$work/sim2.out")
exec 5<>"/dev/tcp/127.0.0.1/$control"
echo "STEP 259200" >&5
read -r -t 60 reply <&5 || true
exec 5<&-
sed "s/^adresse=.*/adresse=127.0.0.1@$port2/" "$bin/tsk_vnt.ini" >"$work/tsk_vnt.ini"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
"$work/teskaro-ventaro" >"$work/app.out" 2>&1 &
app=$!
stored() { grep -q '\[Archive\].*enregistr' "$work/app.out"; }
wait_for 600 stored || echo "no archive line in the log after 60 s" >&2
icon=$(xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {p=1; next} p && /teskaro-ventaro/ {print $1; exit}')
xdotool mousemove --window "$icon" 8 8 click 3
sleep 0.5
xdotool key Down Down Down Down Return  # Historique
wait_for 100 xdotool search --name "^Historique"
history=$(xdotool search --name "^Historique" | head -1)
xdotool windowsize "$history" 900 1000
sleep 1
for span in 24h:100 7j:196 30j:282; do
  xdotool mousemove --window "$history" "${span#*:}" 21 click 1
  sleep 1
  import -window "$history" "$out/history-${span%%:*}.png"
done
kill -TERM "$app"
wait "$app" || true

if [ "${1:-default}" = default ]; then
  mkdir -p docs
  cp "$out/page-01.png" docs/main-window.png
  echo "README picture: docs/main-window.png"
fi
echo "Screenshots in $out"
