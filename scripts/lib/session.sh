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

# Starts a virtual X server and exports DISPLAY; $1 names it within $work,
# $2 is its screen (1280x1024x24 unless given).
# -noreset: by default the server resets when its last client leaves, and a
# client arriving during that reset is refused ("cannot open display": the
# check below is such a client, and the tray host came next). Its display
# number is drawn at random among 100-999 rather than the lowest free one, so
# that sessions side by side do not take a number another has just given up.
# It counts as started once a client reaches it and it is still ours; else
# another number is tried, five times at most. False when none started.
start_xvfb() {
  local attempt n pid
  for attempt in 1 2 3 4 5; do
    n=$((100 + RANDOM % 900))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${2:-1280x1024x24}" -nolisten tcp -noreset >"$work/xvfb.${1:-x}.$attempt.log" 2>&1 &
    pid=$!
    pids+=($pid)
    export DISPLAY=":$n"
    if wait_for 100 xwininfo -root && kill -0 "$pid" 2>/dev/null; then return 0; fi
    kill "$pid" 2>/dev/null || true
  done
  return 1
}
