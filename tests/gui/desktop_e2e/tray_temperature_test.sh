#!/usr/bin/env bash
# The outdoor temperature in the tray icon (GENERAL_TrayTemperature=1): the
# real program under Xvfb with an XEmbed tray host (trayer) tinted as a dark
# panel 22 px high and as a light panel 44 px high, the desktop's colour
# scheme given by a stand-in portal on a private session bus (1 dark, 2
# light). The icon's picture is cut from the screen: on the dark panel its
# letters are light, on the light panel dark. With a second argument, the
# pictures are kept in that folder (tray-dark-22.png, tray-light-44.png, and
# the same four times enlarged).
# Usage: tray_temperature_test.sh BIN_DIR [PICTURES_DIR]
set -euo pipefail
bin=$(cd "$1" && pwd)
keep=${2:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../../scripts/lib/session.sh"
session_begin
. "$here/bus_lib.sh"

cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"
start_simulator
control_say "SET outside_temp 73.4"   # 23.0 °C
cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=1
RefreshServices=1
TrayTemperature=1
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=5
[SERVICES]
CurrentData=2
INI

tray_icon() {
  xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {p=1; next} p && /teskaro-ventaro/ {print $1; exit}'
}

# Ends the program and waits for it: the next start would otherwise find it
# running and only show its window (one agent per user).
stop_app() {
  kill -TERM "$1"
  for _ in $(seq 300); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  fail "the program still runs 30 s after SIGTERM"
}

# Waits (at most 60 s) until the program has had the console's current
# conditions: the simulator counts the commands of its client.
collected() {
  local reply start
  printf 'STATS\n' >&5; read -r -t 5 reply <&5 || true
  start=$(sed -n 's/.*commands=\([0-9]*\).*/\1/p' <<<"$reply")
  for _ in $(seq 120); do
    printf 'STATS\n' >&5; read -r -t 5 reply <&5 || true
    [ "$(sed -n 's/.*commands=\([0-9]*\).*/\1/p' <<<"$reply")" -ge $((start + 4)) ] && return 0
    sleep 0.5
  done
  return 1
}

# One panel: $1 name, $2 portal scheme, $3 trayer tint, $4 height.
panel() {
  local name=$1 scheme=$2 tint=$3 height=$4 app icon
  start_xvfb "$name" || fail "Xvfb did not start"
  start_bus
  start_stand_in portal "$scheme"
  trayer --edge top --align right --widthtype request --height "$height" --SetDockType true \
    --transparent true --alpha 0 --tint "$tint" >"$work/trayer-$name.out" 2>&1 &
  pids+=($!)
  wait_for 300 sh -c 'xwininfo -root -tree | grep -q "\"panel\": (\"panel\" \"trayer\")"' \
    || fail "the tray host did not start"
  "$work/teskaro-ventaro" >"$work/app-$name.out" 2>&1 &
  app=$!
  pids+=($app)
  wait_for 300 sh -c "[ -n \"\$(xwininfo -root -tree | awk '/\"panel\": \\(\"panel\" \"trayer\"\\)/ {p=1; next} p && /teskaro-ventaro/ {print \$1; exit}')\" ]" \
    || fail "no tray icon on the $name panel"
  icon=$(tray_icon)
  wait_for 300 grep -q "Teskaro Ventaro v1.0" "$work/app-$name.out" || fail "the program did not start"
  local geometry want
  geometry=$(xwininfo -id "$icon" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width/ {w=$2} /Height/ {h=$2} END {print w "x" h "+" x "+" y}')
  # The first collection done (the console asked for its values), then the
  # icon captured until its letters show.
  collected || fail "no collection"
  sleep 2
  for _ in $(seq 60); do
    import -window root -crop "$geometry" +repage "$work/tray-$name.png"
    letters "$work/tray-$name.png" "$scheme" && break
    sleep 0.5
  done
  stop_app "$app"
  echo "$name panel: icon $geometry"
}

# The item a StatusNotifierWatcher receives carries every size: the 44 px
# picture kept for a look.
item_pictures() {
  start_xvfb sni || fail "Xvfb did not start"
  start_bus
  start_stand_in portal 2
  mkdir -p "$work/icons"
  STAND_IN_ICON_DIR="$work/icons" start_stand_in watcher
  "$work/teskaro-ventaro" >"$work/app-sni.out" 2>&1 &
  local app=$!
  pids+=($app)
  wait_for 300 grep -q "Teskaro Ventaro v1.0" "$work/app-sni.out" || fail "the program did not start"
  collected || fail "no collection"
  sleep 2
  # The watcher restarted: it asks for the icon as it is now, the temperature drawn.
  stop_stand_in "$stand_in"
  rm -f "$work/icons"/*
  STAND_IN_ICON_DIR="$work/icons" start_stand_in watcher
  wait_for 100 test -s "$work/icons/icon-44.pam" || fail "the item carries no 44 px picture"
  sleep 1
  convert "$work/icons/icon-44.pam" "$work/item-light-44.png"
  stop_app "$app"
}

# The share of the icon's pixels brighter than 200 and darker than 60.
shares() {
  [ -s "$1" ] || { echo "0 0"; return; }
  convert "$1" -colorspace Gray -format '%c' histogram:info:- | awk '
    { n = $1 + 0; sub(/^[^(]*\(/, ""); g = $1 + 0; total += n; if (g > 200) light += n; if (g < 60) dark += n }
    END { printf "%.3f %.3f\n", light / total, dark / total }'
}

# True when the picture $1 has the letters of scheme $2 (1 dark panel: light
# letters; 2 light panel: dark letters) on more than 2 % of its pixels.
letters() {
  local light dark
  read -r light dark <<<"$(shares "$1")"
  if [ "$2" = 1 ]; then awk -v v="$light" 'BEGIN {exit !(v > 0.02)}'; else awk -v v="$dark" 'BEGIN {exit !(v > 0.02)}'; fi
}

panel dark 1 0x202020 22
panel light 2 0xe8e8e8 44
item_pictures
read -r dark_light dark_dark <<<"$(shares "$work/tray-dark.png")"
read -r light_light light_dark <<<"$(shares "$work/tray-light.png")"
echo "dark panel 22 px: light pixels $dark_light, dark $dark_dark"
echo "light panel 44 px: light pixels $light_light, dark $light_dark"
if [ -n "$keep" ]; then
  mkdir -p "$keep"
  cp "$work/tray-dark.png" "$keep/tray-dark-22.png"
  cp "$work/tray-light.png" "$keep/tray-light-44.png"
  convert "$work/tray-dark.png" -filter point -resize 400% "$keep/tray-dark-22-x4.png"
  convert "$work/tray-light.png" -filter point -resize 400% "$keep/tray-light-44-x4.png"
  convert "$work/item-light-44.png" -background '#e8e8e8' -flatten -filter point -resize 400% \
    "$keep/item-light-44-x4.png"
fi
# Light letters on the dark panel (which is dark itself), dark ones on the light.
letters "$work/tray-dark.png" 1 || fail "no light letters on the dark panel"
letters "$work/tray-light.png" 2 || fail "no dark letters on the light panel"
