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
# it within $work. False when it did not start within 10 s.
start_xvfb() {
  local fifo="$work/display.${1:-x}"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  pids+=($!)
  wait_for 100 test -s "$fifo" || return 1
  export DISPLAY=":$(head -n1 "$fifo")"
}
