#!/usr/bin/env bash
# The real program on a virtual X server and a private session bus with a
# stand-in notification service recording every call. A rain alert comes at
# each collection of the current conditions while the simulator's rain rate
# is pinned above 0.
#  - an alert reaches the service with urgency critical, the program's name,
#    icon and desktop entry; the next one replaces it (same id);
#  - the service stopped, an alert raised: the popup of our own shows it; the
#    service started again: the alert arrives there once;
#  - the console silent for many rounds: one notification that the link is
#    lost, one that it is back when the console answers again.
# Usage: notifications_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../../scripts/lib/session.sh"
session_begin
. "$here/bus_lib.sh"

cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"
start_simulator
control_say "SET rain_rate 0"
cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=0
RefreshServices=1
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=1
[ALERTS]
Active=1
RainNotify=1
[SERVICES]
CurrentData=1
INI

start_xvfb bus || fail "Xvfb did not start"
start_bus
start_stand_in notifications
first_service=$stand_in
TV_BALLOON_TRACE=1 "$work/teskaro-ventaro" >"$work/app.out" 2>&1 &
app=$!
pids+=($app)

# --- Two alerts: critical, with the program's names; the second replaces the first
control_say "SET rain_rate 100"
wait_for 600 sh -c "[ \$(grep -c 'Alerte de pluie' '$work/notifications.log') -ge 2 ]" \
  || fail "fewer than 2 alerts reached the notification service"
control_say "SET rain_rate 0"
/usr/bin/python3 - "$work/notifications.log" <<'PY' || fail "the alerts as the service received them"
import json, sys
calls = [json.loads(l) for l in open(sys.argv[1]) if '"Notify"' in l and "Alerte de pluie" in l]
a, b = calls[0], calls[1]
checks = {
    "urgency critical": a["hints"].get("urgency") == 2,
    "desktop entry": a["hints"].get("desktop-entry") == "teskaro-ventaro",
    "program name": a["app_name"] == "Teskaro Ventaro",
    "program icon": a["app_icon"] == "teskaro-ventaro",
    "first replaces none": a["replaces_id"] == 0,
    "second replaces the first": b["replaces_id"] == a["id"] and b["id"] == a["id"],
}
for what, ok in checks.items():
    print(("ok   " if ok else "FAIL ") + what)
print("first alert id %d, second replaces %d and gets id %d" % (a["id"], b["replaces_id"], b["id"]))
sys.exit(0 if all(checks.values()) else 1)
PY
# No more rain: the alerts stop.
sleep 3

# --- The service gone while an alert is raised ---------------------------------
stop_stand_in "$first_service"
mv "$work/notifications.log" "$work/notifications-1.log"
sleep 1
popups_before=$(grep -c '^balloon popup: .*Alerte de pluie' "$work/app.out" || true)
control_say "SET rain_rate 100"
wait_for 600 sh -c "[ \$(grep -c '^balloon popup: .*Alerte de pluie' '$work/app.out') -gt $popups_before ]" \
  || fail "the alert raised without the service did not show in the popup"
control_say "SET rain_rate 0"
sleep 3
popups=$(( $(grep -c '^balloon popup: .*Alerte de pluie' "$work/app.out") - popups_before ))
start_stand_in notifications
wait_for 100 sh -c "[ \$(grep -c '\"Notify\"' '$work/notifications.log') -ge 1 ]" \
  || fail "the queued alert did not reach the service when it came back"
sleep 3  # nothing more may come
arrived=$(count_calls notifications '"Notify".*Alerte de pluie')
echo "service gone: $popups alert(s) shown in the popup, $arrived arrived once the service was back"
[ "$arrived" -eq 1 ] || fail "the queued alert arrived $arrived times"

# --- The link lost and restored -------------------------------------------------
control_say "FAULT SILENT"
wait_for 600 grep -q '"Notify".*Liaison perdue' "$work/notifications.log" \
  || fail "no notification that the link was lost"
failed_before=$(grep -c "Impossible de se connecter" "$work/app.out" || true)
# More failed rounds: no second notification.
wait_for 600 sh -c "[ \$(grep -c 'Impossible de se connecter' '$work/app.out') -ge \$(( $failed_before + 3 )) ]" \
  || fail "the console stayed silent without further failed rounds"
control_say "FAULT SILENT OFF"
wait_for 600 grep -q '"Notify".*Liaison rétablie' "$work/notifications.log" \
  || fail "no notification that the link was restored"
failed=$(grep -c "Impossible de se connecter" "$work/app.out" || true)
lost=$(count_calls notifications '"Notify".*Liaison perdue')
restored=$(count_calls notifications '"Notify".*Liaison rétablie')
echo "link: $failed failed connections, $lost notification(s) lost, $restored restored"
[ "$lost" -eq 1 ] && [ "$restored" -eq 1 ] || fail "lost $lost times, restored $restored times"
kill -TERM "$app"
for _ in $(seq 120); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
