#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan+UBSan: preset "fuzz") and
# runs each for a bounded time, starting from its seeds in fuzz/corpus/<target>.
# New inputs found go to build/fuzz/corpus/<target>, crashes to
# build/fuzz/crashes/<target>/; every target runs, and the script fails when
# one of them crashed, leaked or timed out.
#
#   scripts/fuzz.sh                      # every target, FUZZ_SECONDS (default 30) each
#   FUZZ_SECONDS=300 scripts/fuzz.sh     # the longer run: 5 minutes each
#   scripts/fuzz.sh loop hilows          # only the targets named
#   FUZZ_NO_BUILD=1 scripts/fuzz.sh      # the targets already built
#
# A crash becomes a regression input: copy it to fuzz/regressions/<target>/
# (the test suite replays that folder in every build) and fix the code.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${FUZZ_SECONDS:-30}
if [ -z "${FUZZ_NO_BUILD:-}" ]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "${FUZZ_JOBS:-2}"
fi
bin=build/fuzz/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$bin"/fuzz_*; do
    name=${f##*/fuzz_}
    [ "$name" = make_seeds ] && continue
    targets+=("$name")
  done
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# One target; its outcome in build/fuzz/<target>.result ("ok <summary>" or
# "failed").
run_target() {
  local t=$1 work=build/fuzz/corpus/$1 crashes=build/fuzz/crashes/$1 log=build/fuzz/$1.log
  mkdir -p "$work" "$crashes"
  if ! "$bin/fuzz_$t" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 -artifact_prefix="$crashes/" \
      >"$log" 2>&1; then
    echo failed >"build/fuzz/$t.result"
    return
  fi
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  printf 'ok %-20s %10s executions  coverage %s\n' "$t" "${runs:-?}" "${cov:-?}" \
    >"build/fuzz/$t.result"
}
# FUZZ_JOBS targets at a time (default: one per core), each for its full time.
jobs=${FUZZ_JOBS:-$(nproc)}
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "=== fuzz $t: ${seconds} s"
  rm -f "build/fuzz/$t.result"
  run_target "$t" &
done
wait
summary=()
failed=()
for t in "${targets[@]}"; do
  result=$(cat "build/fuzz/$t.result" 2>/dev/null || echo failed)
  if [ "${result%% *}" = ok ]; then
    summary+=("${result#ok }")
  else
    tail -40 "build/fuzz/$t.log"
    echo "fuzz $t: FAILED, input in build/fuzz/crashes/$t/"
    failed+=("$t")
  fi
done
echo "=== fuzz summary (${seconds} s per target)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}"
  exit 1
fi
echo "fuzz: ${#summary[@]} targets, no crash"
