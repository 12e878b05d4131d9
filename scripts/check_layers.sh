#!/usr/bin/env bash
# Fails when a source file includes a header of a folder its own folder may
# not depend on, or when Qt is included outside the desktop program. The
# table below is the direction of the layers (the README's layout table says
# the same): a folder may include its own headers and those of the folders
# listed for it, nothing else of the project. Tests, benchmarks and fuzz
# targets may include anything.
#   scripts/check_layers.sh [ROOT]    (ROOT: the tree to check, default this one)
set -euo pipefail
root=${1:-"$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"}
cd "$root"

lib="lib/config lib/common lib/vocabulary lib/station"
declare -A allowed=(
  [protocol]=""
  [stationlib]="protocol"
  [simulator]="protocol"
  [lib/config]=""
  [lib/vocabulary]=""
  [lib/station]="lib/config"
  [lib/common]="lib/config lib/station"
  [gadget/window]="lib/common"
  [gadget/sound]="lib/common"
  [gadget/engine]="gadget/window $lib"
  [gadget/display]="gadget/engine gadget/window $lib"
  [gadget/pages]="gadget/engine gadget/window $lib"
  [gadget/alerts]="gadget/display gadget/engine gadget/sound gadget/window $lib"
  [gadget/export]="gadget/engine $lib"
  [gadget/archive]="gadget/engine gadget/export $lib"
  [gadget/publish]="gadget/alerts gadget/engine gadget/export $lib"
  [gadget/upload]="gadget/engine gadget/export $lib"
  [gadget/agent]="gadget/alerts gadget/archive gadget/display gadget/engine gadget/export gadget/pages gadget/publish gadget/upload gadget/sound gadget/window $lib"
  [gadget/app]="gadget/agent gadget/alerts gadget/archive gadget/display gadget/engine gadget/export gadget/pages gadget/publish gadget/sound gadget/window $lib"
)
# Every project folder a quoted include can name.
project_dirs="protocol stationlib simulator $lib gadget/window gadget/sound gadget/engine gadget/display gadget/pages gadget/alerts gadget/export gadget/archive gadget/publish gadget/upload gadget/agent gadget/app tests bench fuzz payload"

# The folder of the layer table that holds `path`, or nothing.
layer_of() {
  local path=$1 d
  for d in "${!allowed[@]}"; do
    case "$path" in "$d"/*) echo "$d"; return ;; esac
  done
}

bad=0
while IFS= read -r file; do
  layer=$(layer_of "$file")
  [ -n "$layer" ] || continue
  while IFS= read -r line; do
    target=$(sed -E 's/^[^"<]*["<]([^">]+)[">].*/\1/' <<<"$line")
    if [[ "$line" == *'<Q'* && "$layer" != gadget/app ]]; then
      echo "layer check: $file includes Qt ($target): Qt belongs in gadget/app only" >&2
      bad=1
      continue
    fi
    [[ "$line" == *'"'* ]] || continue
    dep=""
    for d in $project_dirs; do
      case "$target" in "$d"/*) dep=$d; break ;; esac
    done
    [ -n "$dep" ] || continue
    [ "$dep" = "$layer" ] && continue
    ok=0
    for a in ${allowed[$layer]}; do
      [ "$a" = "$dep" ] && ok=1
    done
    if [ $ok -eq 0 ]; then
      echo "layer check: $file includes $target: $layer may not depend on $dep" >&2
      bad=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$file" || true)
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp' '*.hpp' '*.cc' |
         grep -v '^build/' || true)
[ $bad -eq 0 ] || echo "layer check failed: see the layer table in scripts/check_layers.sh" >&2
exit $bad
