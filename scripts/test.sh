#!/usr/bin/env bash
# Does all set-up, then builds and runs the whole suite in the three builds:
# Release (warnings as errors), ASan+UBSan, TSan. Exits non-zero on any failure.
# Usage: scripts/test.sh [preset ...]   (default: release asan tsan)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/check_format.sh
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(release asan tsan)
jobs=$(nproc)
for p in "${presets[@]}"; do
  echo "=== $p: configure and build"
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" -j "$jobs"
  echo "=== $p: tests"
  ctest --preset "$p"
done
