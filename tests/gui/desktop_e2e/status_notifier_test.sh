#!/usr/bin/env bash
# The real program on a virtual X server and a private session bus where a
# stand-in StatusNotifierWatcher (the panel of KDE Plasma, GNOME's
# AppIndicator extension, XFCE) starts 3 s after the program:
#  - the watcher receives the program's item, with its id, title, tooltip and
#    the menu's entries;
#  - the watcher restarted (a panel restart) receives it again;
#  - "Historique" clicked through the exported menu's EventGroup opens the
#    history window;
#  - "Quitter l'application" clicked through the exported menu ends the
#    program with code 0.
# Usage: status_notifier_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../../scripts/lib/session.sh"
session_begin
. "$here/bus_lib.sh"

cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"
start_simulator
cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=1
RefreshServices=1
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=5
[SERVICES]
CurrentData=2
INI

start_xvfb sni || fail "Xvfb did not start"
start_bus
"$work/teskaro-ventaro" >"$work/app.out" 2>&1 &
app=$!
pids+=($app)
sleep 3
start_stand_in watcher
first_watcher=$stand_in
wait_for 300 grep -q '"RegisterStatusNotifierItem"' "$work/watcher.log" \
  || fail "the watcher started after the program did not receive its item"
# The tooltip follows the collection: wait for one with the conditions.
/usr/bin/python3 - "$work/watcher.log" <<'PY' || fail "the item as the watcher saw it"
import json, sys
item = [json.loads(l) for l in open(sys.argv[1]) if "RegisterStatusNotifierItem" in l][0]
checks = {
    "id": item.get("Id") == "teskaro-ventaro",
    "title": item.get("Title") == "Teskaro Ventaro",
    "status": item.get("Status") == "Active",
    "menu object": item.get("Menu") == "/MenuBar",
    "menu entries": item.get("menu") == ["Ouvrir l'application", "Quitter l'application",
                                         "separator", "Exporter les données récupérées",
                                         "Historique", "Régler l'horloge de la console"],
    "tooltip title": isinstance(item.get("ToolTip"), list) and item["ToolTip"][2] == "Teskaro Ventaro",
}
for what, ok in checks.items():
    print(("ok   " if ok else "FAIL ") + what)
print("first item:", item["service"])
sys.exit(0 if all(checks.values()) else 1)
PY
grep -q 'Zone de notification trouvée' "$work/app.out" || fail "the log does not say the tray was found"

# --- The panel restarted ----------------------------------------------------
stop_stand_in "$first_watcher"
mv "$work/watcher.log" "$work/watcher-1.log"
sleep 1
start_stand_in watcher
wait_for 300 grep -q '"RegisterStatusNotifierItem"' "$work/watcher.log" \
  || fail "the restarted watcher did not receive the item again"
second=$(/usr/bin/python3 -c 'import json,sys; print([json.loads(l) for l in open(sys.argv[1]) if "RegisterStatusNotifierItem" in l][0]["service"])' "$work/watcher.log")
echo "item registered again with the restarted watcher: $second"

# --- A group of events -------------------------------------------------------
menu_click "$second" "Historique" || fail "EventGroup Historique"
wait_for 100 sh -c 'xwininfo -name "Historique - Teskaro Ventaro v1.0" | grep -q IsViewable' \
  || fail "EventGroup Historique did not open the history window"
echo "EventGroup Historique: the history window is shown"

# --- Quit through the exported menu -------------------------------------------
dbus-send --session --print-reply --dest="$second" /MenuBar com.canonical.dbusmenu.Event \
  int32:2 string:clicked variant:int32:0 uint32:0 >/dev/null || fail "the menu's Event call failed"
for _ in $(seq 150); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "still running 15 s after Quitter from the exported menu"
code=0
wait "$app" || code=$?
[ "$code" -eq 0 ] || fail "quit from the exported menu: exit code $code"
echo "quit from the exported menu: exit code $code"
# Qt says so when a call to our objects could not be answered.
! grep -i "dbus\|d-bus" "$work/app.out" || fail "warnings about D-Bus"
