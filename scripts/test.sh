#!/usr/bin/env bash
# Does all set-up, checks the formatting and the direction of the layers'
# includes (scripts/check_layers.sh), runs every fuzz target for a bounded
# time (FUZZ_SECONDS each, default 30; scripts/fuzz.sh), then builds and runs the whole suite in
# the three builds: Release (warnings as errors), ASan+UBSan, TSan.
# Exits non-zero on any failure. Tests run four at a time (the test presets):
# most end-to-end tests wait on timed faults rather than use a core.
# Each stage's time is printed at the end.
# Usage: scripts/test.sh [preset ...]   (default: fuzz release asan tsan)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/check_format.sh
scripts/check_layers.sh
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(fuzz release asan tsan)
jobs=$(nproc)
timings=()
stage_start=$SECONDS
stage_done() {
  timings+=("$(printf '%-16s %4d s' "$1" $((SECONDS - stage_start)))")
  stage_start=$SECONDS
}
stage_done setup
for p in "${presets[@]}"; do
  if [ "$p" = fuzz ]; then
    echo "=== fuzz: every target, ${FUZZ_SECONDS:-30} s each"
    FUZZ_JOBS=$jobs scripts/fuzz.sh
    stage_done fuzz
    continue
  fi
  echo "=== $p: configure and build"
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" -j "$jobs"
  stage_done "$p build"
  echo "=== $p: tests"
  ctest --preset "$p"
  stage_done "$p tests"
done
echo "=== stage times (total $SECONDS s)"
printf '%s\n' "${timings[@]}"
