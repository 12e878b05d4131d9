#!/usr/bin/env bash
# The real program on a headless weston (Wayland, QT_QPA_PLATFORM=wayland) and
# a private session bus with a stand-in StatusNotifierWatcher, no
# notification service and, later, a stand-in desktop portal. Started hidden;
# a rain alert comes at each collection while the simulator's rain rate is
# pinned above 0. The compositor's protocol log is its window list: every
# toplevel and popup a client asks for.
#  - the platform is wayland and the item reaches the watcher;
#  - ContextMenu maps no menu, and an alert with neither notification service
#    nor portal maps no window: the item's status is NeedsAttention until
#    "Ouvrir l'application" (clicked through the exported menu's EventGroup,
#    after ProvideXdgActivationToken), which shows the window with the token;
#  - the item's tooltip is the whole text (over 63 characters), trimmed;
#  - a second start hands its XDG_ACTIVATION_TOKEN to the first one's window;
#  - EventGroup "Historique" opens the history window;
#  - with the portal there, an alert goes to it (AddNotification, urgent);
#  - EventGroup "Quitter l'application" ends the program with code 0;
#  - no toplevel or popup is mapped but the two windows.
# Exits with 77 (skipped), after one line, where weston cannot start.
# Usage: wayland_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../../scripts/lib/session.sh"
session_begin
. "$here/bus_lib.sh"

export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --socket=tv-wayland \
  --no-config --idle-time=0 -l log,proto >"$work/weston.log" 2>&1 &
weston=$!
pids+=($weston)
# Its socket, unless it ends first.
wait_for 100 sh -c "[ -S '$XDG_RUNTIME_DIR/tv-wayland' ] || ! kill -0 $weston" || true
if ! [ -S "$XDG_RUNTIME_DIR/tv-wayland" ]; then
  echo "SKIP: weston cannot start here: $(grep -v '^\s*$' "$work/weston.log" | tail -n1)"
  exit 77
fi
export WAYLAND_DISPLAY=tv-wayland QT_QPA_PLATFORM=wayland
unset DISPLAY

cp "$bin/teskaro-ventaro" "$bin/libvantagepro.so" "$bin/langue.pack" "$work/"
start_simulator
control_say "SET rain_rate 0"
cat >"$work/tsk_vnt.ini" <<INI
[GENERAL]
StartHideAgent=1
RefreshServices=1
[CONSOLE]
type=IP
adresse=127.0.0.1@$port
ConnectionTimeout=5
[ALERTS]
Active=1
RainNotify=1
[ARCHIVE]
Active=0
[SERVICES]
CurrentData=1
INI

# Surfaces given a window role (toplevel or popup) by any client, and the
# windows' titles, as the compositor saw them.
roles() { grep -cE '\.get_(toplevel|popup)\(' "$work/weston.log" || true; }
titled() { grep -q "xdg_toplevel@[0-9]*\.set_title(\"$1" "$work/weston.log"; }

start_bus
start_stand_in watcher
TV_BALLOON_TRACE=1 "$work/teskaro-ventaro" >"$work/app.out" 2>&1 &
app=$!
pids+=($app)
wait_for 300 grep -q '^platform: ' "$work/app.out" || fail "the program did not start"
grep -q '^platform: wayland$' "$work/app.out" || fail "not on wayland: $(grep '^platform' "$work/app.out")"
wait_for 300 grep -q '"RegisterStatusNotifierItem"' "$work/watcher.log" \
  || fail "the watcher did not receive the item"
item=$(item_service)
echo "platform wayland, item $item registered"
[ "$(roles)" -eq 0 ] || fail "a window was mapped though started hidden"

# --- Neither notification service nor portal: attention, no window -----------
dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
  org.kde.StatusNotifierItem.ContextMenu int32:600 int32:10 >/dev/null || fail "ContextMenu failed"
control_say "SET rain_rate 100"
wait_for 300 grep -q '^balloon attention: .*Alerte de pluie' "$work/app.out" \
  || fail "the alert did not ask for attention"
control_say "SET rain_rate 0"
grep -q '^balloon portal failed: ' "$work/app.out" || fail "the portal was not asked first"
[ "$(item_property "$item" Status)" = "NeedsAttention" ] || fail "status: $(item_property "$item" Status)"
sleep 2  # the alerts stop; anything mapped for them is in the log by now
[ "$(roles)" -eq 0 ] || fail "a window was mapped for the menu or the alert: $(grep -E 'get_(toplevel|popup)' "$work/weston.log")"
echo "alert without a service: status NeedsAttention, no window mapped"

dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
  org.kde.StatusNotifierItem.ProvideXdgActivationToken string:e2e-token-1 >/dev/null \
  || fail "ProvideXdgActivationToken failed"
menu_click "$item" "Ouvrir l'application" || fail "EventGroup Ouvrir"
wait_for 100 titled "Teskaro Ventaro v1.0" || fail "the window was not shown"
grep -q '^window activated with token e2e-token-1$' "$work/app.out" \
  || fail "the window was not given the host's token"
wait_for 50 sh -c "[ \"\$(dbus-send --session --print-reply=literal --dest='$item' /StatusNotifierItem org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:Status | sed 's/^ *variant *//')\" = Active ]" \
  || fail "status after the window was shown: $(item_property "$item" Status)"
echo "Ouvrir l'application: window shown with the host's token, status Active"

/usr/bin/python3 - "$item" <<'PY' || fail "the item's tooltip"
import sys
import dbus
props = dbus.Interface(dbus.SessionBus().get_object(sys.argv[1], "/StatusNotifierItem"),
                       "org.freedesktop.DBus.Properties")
text = str(props.Get("org.kde.StatusNotifierItem", "ToolTip")[3])
print("tooltip: %d characters, %r ..." % (len(text), text[:40]))
sys.exit(0 if text == text.strip() and len(text) > 63 and "\r" not in text and "Prévision : " in text else 1)
PY

# --- A second start forwards its token ------------------------------------------
code=0
XDG_ACTIVATION_TOKEN=e2e-token-2 timeout 30 "$work/teskaro-ventaro" >"$work/second.out" 2>&1 || code=$?
[ "$code" -eq 0 ] || fail "the second start ended with code $code"
wait_for 50 grep -q '^window activated with token e2e-token-2$' "$work/app.out" \
  || fail "the second start's token did not reach the window"
echo "second start: code $code, its token given to the first one's window"

# --- The history window ----------------------------------------------------------
menu_click "$item" "Historique" || fail "EventGroup Historique"
wait_for 100 titled "Historique" || fail "EventGroup Historique did not open the history window"
echo "EventGroup Historique: the history window is shown"

# --- The portal takes the alert ----------------------------------------------------
start_stand_in portal 0
control_say "SET rain_rate 100"
wait_for 300 grep -q '"AddNotification".*Alerte de pluie' "$work/portal.log" \
  || fail "the alert did not reach the portal"
control_say "SET rain_rate 0"
/usr/bin/python3 - "$work/portal.log" <<'PY' || fail "the alert as the portal received it"
import json, sys
call = [json.loads(l) for l in open(sys.argv[1]) if '"AddNotification"' in l][0]
n = call["notification"]
ok = call["id"] == "alert" and n.get("priority") == "urgent" and n.get("title") == "Teskaro Ventaro v1.0"
print("portal: id %s, priority %s, title %s" % (call["id"], n.get("priority"), n.get("title")))
sys.exit(0 if ok else 1)
PY

# --- Quit through EventGroup --------------------------------------------------------
menu_click "$item" "Quitter l'application" || fail "EventGroup Quitter"
for _ in $(seq 150); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "still running 15 s after EventGroup Quitter"
code=0
wait "$app" || code=$?
[ "$code" -eq 0 ] || fail "EventGroup Quitter: exit code $code"
[ "$(roles)" -eq 2 ] || fail "windows mapped: $(grep -E 'get_(toplevel|popup)|set_title' "$work/weston.log")"
echo "EventGroup Quitter: exit code $code; 2 windows mapped in all (the window and the history)"
! grep -q 'Skipped method' "$work/app.out" || fail "a D-Bus method was left out: $(grep 'Skipped method' "$work/app.out")"
