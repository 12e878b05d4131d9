#!/usr/bin/env bash
# Runs scripts/check_layers.sh on copies of the tree, each with one fault
# planted, and on the tree itself.
#   layer_check_test.sh ROOT [CHECK]   (CHECK: the script to test, default ROOT's)
set -uo pipefail
root=$1
check=${2:-$root/scripts/check_layers.sh}
work=$(mktemp -d "${TMPDIR:-/tmp}/tv-layers-XXXXXX")
trap 'rm -rf "$work"' EXIT

# A copy of what the check reads (build files, README, sources), without
# the build trees and without .git.
copy_tree() {
  mkdir -p "$1"
  (cd "$root" && find . \( -path ./.git -o -path './build*' \) -prune -o -type f \
     \( -name CMakeLists.txt -o -name README.md -o -name '*.h' -o -name '*.cpp' \) -print0 |
     tar --null -T - -cf -) | tar -C "$1" -xf -
}

failures=0
# expect LEGEND STATUS FRAGMENT TREE: the check on TREE ends with STATUS
# (0, or 1 for any failure) and says FRAGMENT.
expect() {
  local legend=$1 want=$2 fragment=$3 tree=$4 out status
  out=$(bash "$check" "$tree" 2>&1)
  status=$?
  [ $status -eq 0 ] || status=1
  if [ $status -ne "$want" ] || ! grep -qF -- "$fragment" <<<"$out"; then
    echo "FAIL: $legend: status $status (want $want), output lacks \"$fragment\":" >&2
    sed 's/^/    /' <<<"$out" >&2
    failures=$((failures + 1))
  else
    echo "ok: $legend"
  fi
}

# plant LEGEND FRAGMENT COMMAND...: a fresh copy, COMMAND run in it, then
# the check expected to fail saying FRAGMENT.
n=0
plant() {
  local legend=$1 fragment=$2
  shift 2
  n=$((n + 1))
  local tree=$work/plant$n
  copy_tree "$tree"
  (cd "$tree" && "$@")
  expect "$legend" 1 "$fragment" "$tree"
}

expect "the tree as it is" 0 "follow the layers" "$root"
copy_tree "$work/copy"
expect "a copy without .git (files found without git)" 0 "follow the layers" "$work/copy"

mkdir "$work/empty"
expect "an empty folder" 1 "no CMakeLists.txt" "$work/empty"
plant "the build files and the README without a source file" "found no source file" \
  find . -type f \( -name '*.h' -o -name '*.cpp' \) -delete
plant "one folder's sources missing" "found no source file in gadget/engine/" \
  find gadget/engine -type f \( -name '*.h' -o -name '*.cpp' \) -delete
plant "the engine includes the window" \
  "gadget/engine/station_port.cpp includes gadget/window/window.h: gadget/engine may not depend on gadget/window" \
  sed -i '1a #include "gadget/window/window.h"' gadget/engine/station_port.cpp
plant "Qt outside gadget/app" "lib/common/clock.cpp includes Qt (QString)" \
  sed -i '1a #include <QString>' lib/common/clock.cpp
plant "a core folder reaches the window through a header it may include" \
  "gadget/publish/alert_events.h reaches the presentation" \
  sed -i '/^#include "gadget\/engine\/station_record.h"/a #include "gadget/window/window.h"' \
    gadget/alerts/alarm_items.h
plant "a core folder links a presentation target" \
  "tv_publish (gadget/publish) links the presentation: tv_publish -> tv_alerts -> tv_display" \
  sed -i 's/DEPS tv_export tv_alarm_items /DEPS tv_export tv_alerts /' gadget/publish/CMakeLists.txt
plant "the README's table lists a folder the DEPS do not" \
  "README.md says gadget/export/ may include [ gadget/engine gadget/pages lib/common" \
  sed -i '/^| `gadget\/export\/`/s/| `gadget\/engine`, /| `gadget\/engine`, `gadget\/pages`, /' README.md
plant "the README's table says of no folder that it is collection core" \
  "calls no folder \"collection core\"" sed -i 's/ | collection core |$/ | core |/' README.md
plant "an include of a folder the DEPS leave out" \
  "gadget/engine/station_port.h includes lib/station/result_codes.h: gadget/engine may not depend on lib/station" \
  sed -i 's/DEPS tv_common tv_config tv_station tv_vocabulary/DEPS tv_common tv_config tv_vocabulary/' \
    gadget/engine/CMakeLists.txt

[ $failures -eq 0 ] || { echo "$failures case(s) failed" >&2; exit 1; }
