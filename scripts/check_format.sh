#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted with .clang-format.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp' '*.cc' '*.hpp' | grep -v '^build/' || true)
[ ${#files[@]} -eq 0 ] && exit 0
bad=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f (run: clang-format -i $f)" >&2
    bad=1
  fi
done
exit $bad
