#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted with .clang-format.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# git's list in a work tree; without git (a copy, an unpacked archive) every
# file found, build trees left out. Finding none is a failure, not a pass.
if [ "$(git rev-parse --show-toplevel 2>/dev/null || true)" = "$(pwd -P)" ]; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp' '*.cc' '*.hpp' | grep -v '^build' || true)
else
  mapfile -t files < <(find . \( -path ./.git -o -path './build*' \) -prune -o -type f \
                         \( -name '*.h' -o -name '*.cpp' -o -name '*.cc' -o -name '*.hpp' \) -print |
                         sed 's|^\./||')
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "format check: found no C++ file to check" >&2
  exit 1
fi
bad=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f (run: clang-format -i $f)" >&2
    bad=1
  fi
done
exit $bad
