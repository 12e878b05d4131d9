# Shared by the scripts that run the program with its helpers (simulator,
# virtual X server, tray host): a throwaway folder, background processes
# stopped on exit, waits with a bound. Source it, then call session_begin.

# Creates $work and arranges for every process in $pids to be stopped and
# $work removed when the script ends.
session_begin() {
  work=$(mktemp -d)
  pids=()
  trap session_end EXIT
}
session_end() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}

# Waits until `cmd` succeeds, at most $1 tenths of a second.
wait_for() {
  local n=$1; shift
  for _ in $(seq "$n"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# Starts a virtual X server on a free display and exports DISPLAY; $1 names
# it within $work. The server must also answer a client before it counts as
# started (under load, a display announced but not reachable was seen); a
# server that does not is stopped and another one started, three times at
# most. False when none started within that.
start_xvfb() {
  local attempt fifo pid
  for attempt in 1 2 3; do
    fifo="$work/display.${1:-x}.$attempt"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    pid=$!
    pids+=($pid)
    if wait_for 100 test -s "$fifo"; then
      export DISPLAY=":$(head -n1 "$fifo")"
      wait_for 100 xwininfo -root && return 0
    fi
    kill "$pid" 2>/dev/null || true
  done
  return 1
}
