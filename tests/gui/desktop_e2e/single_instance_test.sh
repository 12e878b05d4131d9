#!/usr/bin/env bash
# One agent per user: the real program started hidden on a virtual X server,
# then started again.
#  - the second start shows the first one's window and ends with code 0, and
#    only the first keeps running;
#  - a second agent without a window is refused (code 1): it would fight the
#    first over the console's link;
#  - another user (nobody) on the same machine has an agent of its own.
# Usage: single_instance_test.sh BIN_DIR
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
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

start_xvfb single || fail "Xvfb did not start"
window_shown() { xwininfo -name "Teskaro Ventaro v1.0" 2>/dev/null | grep -q 'IsViewable'; }
"$work/teskaro-ventaro" >"$work/first.out" 2>&1 &
first=$!
pids+=($first)
wait_for 300 grep -q "Teskaro Ventaro v1.0" "$work/first.out" || fail "the first agent did not start"
sleep 2
window_shown && fail "the first agent's window shows though started hidden"

# --- A second start shows the first one's window -----------------------------
code=0
timeout 30 "$work/teskaro-ventaro" >"$work/second.out" 2>&1 || code=$?
[ "$code" -eq 0 ] || fail "the second start ended with code $code"
wait_for 100 window_shown || fail "the first agent's window was not shown"
kill -0 "$first" || fail "the first agent ended"
echo "second start: exit code $code, the first agent's window shown: $(cat "$work/second.out")"

# --- A second agent without a window is refused --------------------------------
code=0
timeout 30 "$work/teskaro-ventaro" --no-window >"$work/headless.out" 2>&1 || code=$?
[ "$code" -eq 1 ] || fail "a second agent without a window ended with code $code"
grep -q "fonctionne déjà" "$work/headless.out" || fail "the refusal does not say why"
echo "second agent without a window: exit code $code"

# --- Another user has an agent of its own ---------------------------------------
chmod 755 "$work"
other_dir=/tmp/teskaro-ventaro-$(id -u nobody)
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -u XDG_RUNTIME_DIR HOME=/nonexistent "$work/teskaro-ventaro" --no-window \
  >"$work/other.out" 2>&1 &
other=$!
pids+=($other)
wait_for 300 grep -q "Teskaro Ventaro v1.0" "$work/other.out" || fail "the other user's agent did not start"
sleep 2
kill -0 "$other" 2>/dev/null || fail "the other user's agent ended"
ls "$other_dir"/teskaro-ventaro-*.lock >/dev/null 2>&1 || fail "no lock of the other user's in $other_dir"
kill -TERM "$other"
wait "$other" 2>/dev/null || true
echo "another user's agent ran beside the first (lock in $other_dir)"
kill -TERM "$first"
