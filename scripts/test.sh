#!/usr/bin/env bash
# Does all set-up, checks the formatting and the direction of the layers'
# includes (scripts/check_layers.sh), then builds and runs the whole suite in
# the three builds: Release (warnings as errors), ASan+UBSan, TSan, and runs
# every fuzz target for a bounded time (FUZZ_SECONDS each, default 30;
# scripts/fuzz.sh). Exits non-zero on any failure.
#
# The stages overlap, since the tests mostly wait on the simulator's timed
# faults while the builds and the fuzzers use every core:
#   builds  release | asan, tsan, fuzz targets (nice 10)
#   tests             release | asan | tsan        (each once its build is done)
#   fuzz                          (nice 19, once its targets are built)
# so the tests always come first on the processor, the builds next and the
# fuzzers take what is left (each target still runs for its whole time).
# Tests run four at a time (the test presets). Each build's output goes to
# build/test-logs/<preset>-build.log (shown when it fails), the fuzzers' to
# build/test-logs/fuzz.log (shown at the end); each stage's time is printed
# at the end.
# Usage: scripts/test.sh [preset ...]   (default: release asan tsan fuzz)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/check_format.sh
scripts/check_layers.sh
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(release asan tsan fuzz)
builds=()
fuzz=false
for p in "${presets[@]}"; do
  if [ "$p" = fuzz ]; then fuzz=true; else builds+=("$p"); fi
done
jobs=$(nproc)
logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"
timings=("$(printf '%-14s %4d s' setup "$SECONDS")")

# The build lane: every build in order, then the fuzz targets and their run.
# For each, <logs>/<name>.built holds "ok|failed START SECONDS" once done.
build_lane() {
  local p t0 status
  for p in "${builds[@]}"; do
    t0=$SECONDS
    status=ok
    { cmake --preset "$p" && nice -n 10 cmake --build --preset "$p" -j "$jobs"; } \
      >"$logs/$p-build.log" 2>&1 || status=failed
    echo "$status $t0 $((SECONDS - t0))" >"$logs/$p.built"
    [ "$status" = ok ] || return 0
  done
  if $fuzz; then
    t0=$SECONDS
    status=ok
    { cmake --preset fuzz && nice -n 10 cmake --build --preset fuzz -j "$jobs"; } \
      >"$logs/fuzz-build.log" 2>&1 || status=failed
    echo "$status $t0 $((SECONDS - t0))" >"$logs/fuzz.built"
    [ "$status" = ok ] || return 0
    t0=$SECONDS
    status=ok
    FUZZ_NO_BUILD=1 FUZZ_JOBS=$jobs nice -n 19 scripts/fuzz.sh >"$logs/fuzz.log" 2>&1 \
      || status=failed
    echo "$status $t0 $((SECONDS - t0))" >"$logs/fuzz.ran"
  fi
}
# In a process group of its own, so that a failure ends all of it.
set -m
build_lane &
lane=$!
set +m
trap 'kill -- -$lane 2>/dev/null || true' EXIT

# Waits for <logs>/<file> and prints its contents.
await() {
  while [ ! -s "$logs/$1" ]; do
    if ! kill -0 "$lane" 2>/dev/null; then
      [ -s "$logs/$1" ] || { echo "missing 0 0"; return; }
    fi
    sleep 1
  done
  cat "$logs/$1"
}
# Adds a line to the stage times from "STATUS START SECONDS".
note_stage() {
  local name=$1 status start seconds
  read -r status start seconds <<<"$2"
  timings+=("$(printf '%-14s %4d s   from %4d s to %4d s' "$name" "$seconds" "$start" \
    $((start + seconds)))")
}
failed=""
for p in "${builds[@]}"; do
  built=$(await "$p.built")
  note_stage "$p build" "$built"
  if [ "${built%% *}" != ok ]; then
    tail -60 "$logs/$p-build.log"
    failed="$p build"
    break
  fi
  echo "=== $p: tests"
  t0=$SECONDS
  status=ok
  ctest --preset "$p" || status=failed
  note_stage "$p tests" "$status $t0 $((SECONDS - t0))"
  if [ "$status" != ok ]; then
    failed="$p tests"
    break
  fi
done
if [ -z "$failed" ] && $fuzz; then
  built=$(await fuzz.built)
  note_stage "fuzz build" "$built"
  if [ "${built%% *}" != ok ]; then
    tail -60 "$logs/fuzz-build.log"
    failed="fuzz build"
  else
    ran=$(await fuzz.ran)
    note_stage "fuzz" "$ran"
    cat "$logs/fuzz.log"
    [ "${ran%% *}" = ok ] || failed="fuzz"
  fi
fi
wait "$lane" 2>/dev/null || true
trap - EXIT
echo "=== stage times (total $SECONDS s)"
printf '%s\n' "${timings[@]}"
if [ -n "$failed" ]; then
  echo "FAILED: $failed"
  exit 1
fi
