#!/usr/bin/env bash
# The real program on a virtual X server whose tray host (trayer) starts 5 s
# after it, as at a login where the agent's autostart entry wins the race
# with the panel. Every log line is also a balloon (GENERAL_Notify=1) and the
# console never answers, so a balloon comes every few seconds. Before the tray
# host the balloons go to the popup of our own, after it to the tray; the
# icon is embedded in the tray; "Pas de zone de notification" is said once.
# Usage: late_tray_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/session.sh"
session_begin
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.out; do [ -s "$f" ] && { echo "--- ${f##*/}" >&2; tail -n 40 "$f" >&2; }; done
  exit 1
}

cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"
"$bin/vantage-simulator" --tcp 127.0.0.1:0 >"$work/sim.out" 2>&1 &
pids+=($!)
wait_for 100 grep -q '^ready' "$work/sim.out" || fail "simulator did not start"
port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")
control=$(sed -n 's/^control 127.0.0.1://p' "$work/sim.out")
exec 5<>"/dev/tcp/127.0.0.1/$control"
printf 'FAULT SILENT\n' >&5
read -r -t 5 reply <&5 || true
[ "${reply%$'\r'}" = "OK" ] || fail "FAULT SILENT: $reply"

cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=0
RefreshServices=1
Notify=1
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=1
[SERVICES]
CurrentData=10
INI

start_xvfb late || fail "Xvfb did not start"
TV_BALLOON_TRACE=1 "$work/teskaro-ventaro" >"$work/app.out" 2>&1 &
app=$!
pids+=($app)
wait_for 300 sh -c 'xwininfo -name "Teskaro Ventaro v1.0" | grep -q IsViewable' \
  || fail "the window was not shown"
sleep 5
trayer --edge bottom --align right --widthtype request --SetDockType true >"$work/trayer.out" 2>&1 &
pids+=($!)
tray_icon() {
  xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {p=1; next} p && /teskaro-ventaro/ {print $1; exit}'
}
# Found within the watch's period (3 s), given generous room under load.
wait_for 300 sh -c "xwininfo -root -tree | awk '/\"panel\": \\(\"panel\" \"trayer\"\\)/ {p=1; next} p && /teskaro-ventaro/ {f=1} END {exit !f}'" \
  || fail "the icon was not put into the tray that appeared"
found_at=$(grep -c '^balloon ' "$work/app.out" || true)
# At least three balloons after the tray host appeared.
wait_for 600 sh -c "[ \$(grep -c '^balloon ' '$work/app.out') -ge \$(( $found_at + 3 )) ]" \
  || fail "fewer than 3 balloons after the tray appeared"
kill -TERM "$app"
for _ in $(seq 120); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done

popup=$(grep -c '^balloon popup' "$work/app.out" || true)
tray=$(grep -c '^balloon tray' "$work/app.out" || true)
# After the first balloon that went to the tray, none went to the popup.
late_popup=$(awk '/^balloon tray/ {t=1} t && /^balloon popup/ {n++} END {print n+0}' "$work/app.out")
none=$(grep -c '^[0-9-]* [0-9:]* Pas de zone de notification' "$work/app.out" || true)
found=$(grep -c '^[0-9-]* [0-9:]* Zone de notification trouvée' "$work/app.out" || true)
echo "balloons: $popup to the popup before the tray, $tray to the tray after it, $late_popup to the popup after it"
echo "log lines: 'Pas de zone de notification' $none, 'Zone de notification trouvée' $found"
[ "$popup" -ge 1 ] || fail "no balloon went to the popup before the tray host"
[ "$tray" -ge 3 ] || fail "fewer than 3 balloons went to the tray"
[ "$late_popup" -eq 0 ] || fail "$late_popup balloons went to the popup after the tray appeared"
[ "$none" -eq 1 ] || fail "'Pas de zone de notification' said $none times"
[ "$found" -eq 1 ] || fail "'Zone de notification trouvée' said $found times"
