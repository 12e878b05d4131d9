# Shared by the desktop tests on a private session bus: source it after
# scripts/lib/session.sh and session_begin.

here_bus_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.out "$work"/*.log; do
    [ -s "$f" ] && { echo "--- ${f##*/}" >&2; tail -n 30 "$f" >&2; }
  done
  exit 1
}

# A private session bus of our own (never the desktop's): exports
# DBUS_SESSION_BUS_ADDRESS.
# Each call starts a new bus (its address in a file of its own).
buses=0
start_bus() {
  buses=$((buses + 1))
  local addr="$work/bus-$buses.addr"
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$addr" \
    >>"$work/bus.out" 2>&1 &
  pids+=($!)
  wait_for 100 test -s "$addr" || fail "the session bus did not start"
  export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$addr")
}

# Starts a stand-in service (notifications | watcher | portal SCHEME)
# recording into $work/$1.log; its process id in $stand_in.
start_stand_in() {
  /usr/bin/python3 "$here_bus_lib/stand_in_services.py" "$1" "$work/$1.log" "${@:2}" \
    >>"$work/$1.out" 2>&1 &
  stand_in=$!
  pids+=($stand_in)
  wait_for 100 grep -q '"call": "ready"' "$work/$1.log" || fail "the stand-in $1 did not start"
}
stop_stand_in() {
  kill -TERM "$1" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
}

# The simulator on a free port; its ports in $port and $control, the control
# channel opened on descriptor 5 (control_say LINE sends a line, checks OK).
start_simulator() {
  "$bin/vantage-simulator" --tcp 127.0.0.1:0 "$@" >"$work/sim.out" 2>&1 &
  pids+=($!)
  wait_for 100 grep -q '^ready' "$work/sim.out" || fail "simulator did not start"
  port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")
  control=$(sed -n 's/^control 127.0.0.1://p' "$work/sim.out")
  exec 5<>"/dev/tcp/127.0.0.1/$control"
}
control_say() {
  local reply
  printf '%s\n' "$1" >&5
  read -r -t 5 reply <&5 || true
  [ "${reply%$'\r'}" = "OK" ] || fail "$1: $reply"
}

# Lines of $work/$1.log (a stand-in's) that match $2.
count_calls() { grep -c "$2" "$work/$1.log" || true; }

# The bus name of the first item the watcher stand-in received.
item_service() {
  /usr/bin/python3 -c 'import json,sys; print([json.loads(l) for l in open(sys.argv[1]) if "RegisterStatusNotifierItem" in l][0]["service"])' "$work/watcher.log"
}
# Property $2 of the item named $1 (org.kde.StatusNotifierItem), as dbus-send prints it.
item_property() {
  dbus-send --session --print-reply=literal --dest="$1" /StatusNotifierItem \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem "string:$2" | sed 's/^ *variant *//'
}
# Clicks the entry labelled $2 of the menu that the item named $1 exports,
# through com.canonical.dbusmenu's EventGroup (which answers the ids it did
# not know: none here).
menu_click() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import sys
import dbus
menu = dbus.Interface(dbus.SessionBus().get_object(sys.argv[1], "/MenuBar"), "com.canonical.dbusmenu")
_, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"))
ids = [int(c[0]) for c in layout[2] if str(c[1].get("label", "")) == sys.argv[2]]
if not ids:
    sys.exit("no menu entry " + sys.argv[2])
unknown = menu.EventGroup([(ids[0], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))])
sys.exit("EventGroup did not know %s" % list(unknown) if unknown else 0)
PY
}
