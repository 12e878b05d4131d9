#!/usr/bin/env bash
# Checks the direction of the layers. The build files are its one statement:
# a folder's targets (tv_library ... DEPS, target_link_libraries) name the
# project's targets it uses, and a folder may include its own headers and
# those of the folders of these targets, nothing else of the project. Fails
#  - when a source file includes a header of a folder its own may not use,
#    or Qt outside gadget/app;
#  - when a file of a folder the README's layout table calls "collection
#    core" reaches, through the headers it includes, a header of a folder
#    it calls "presentation", or one of its targets links, directly or
#    through others, a presentation target (the collection runs without
#    the window);
#  - when the README's layout table says other than the build files (its
#    "may include" column lists exactly the folders of the DEPS);
#  - when it finds no file to check.
# Tests, benchmarks and fuzz targets may include anything.
#   scripts/check_layers.sh [ROOT]    (ROOT: the tree to check, default this one)
# Without git (a copy of the tree, an unpacked archive) the files are listed
# with find.
set -euo pipefail
root=${1:-"$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"}
cd "$root"
root=$(pwd -P)

fail() {
  echo "layer check: $*" >&2
  echo "layer check failed: the layers are the DEPS of each folder's CMakeLists.txt" >&2
  exit 1
}

# Folders anything may include from, or that hold no code.
free_dirs="tests bench fuzz payload"

# The layers: the folders the top CMakeLists.txt adds, in its order.
[ -f CMakeLists.txt ] || fail "no CMakeLists.txt in $root"
layers=()
for d in $(awk '/^foreach\(dir/ { on = 1; next }
                on { line = $0; sub(/\).*/, "", line); print line; if ($0 ~ /\)/) exit }' \
                CMakeLists.txt); do
  case " $free_dirs " in *" $d "*) continue ;; esac
  if [ -f "$d/CMakeLists.txt" ]; then layers+=("$d"); fi
done
[ ${#layers[@]} -gt 0 ] || fail "the top CMakeLists.txt adds no folder of its own"

# "folder allowed-folder" lines: for each target a layer defines, the layers
# of the project targets it links. And "target its-folder used-target
# folder-of-used" lines: the links between the project's targets.
cmake_files=()
for d in "${layers[@]}"; do cmake_files+=("$d/CMakeLists.txt"); done
edges=$(awk '
  function handle(s,   n, t, i, start, name, word, deps) {
    gsub(/[()]/, " ", s)
    n = split(s, t, /[ \t]+/)
    start = 1
    while (start <= n && t[start] == "") start++
    name = t[start + 1]
    if (t[start] == "tv_library" || t[start] == "add_library" || t[start] == "add_executable") {
      folder_of[name] = folder
    }
    if (t[start] == "tv_library") {
      deps = 0
      for (i = start + 2; i <= n; i++) {
        word = t[i]
        if (word == "DEPS") { deps = 1; continue }
        if (word == "SOURCES") { deps = 0; continue }
        if (deps && word != "") { uses[folder, word] = 1; links[name, word] = 1 }
      }
    } else if (t[start] == "target_link_libraries") {
      for (i = start + 2; i <= n; i++) {
        word = t[i]
        if (word == "PUBLIC" || word == "PRIVATE" || word == "INTERFACE" || word == "") continue
        uses[folder, word] = 1
        links[name, word] = 1
      }
    }
  }
  FNR == 1 { folder = FILENAME; sub(/\/CMakeLists\.txt$/, "", folder); open = 0; stmt = "" }
  {
    line = $0
    sub(/#.*/, "", line)
    if (!open && line ~ /^[ \t]*(tv_library|add_library|add_executable|target_link_libraries)[ \t]*\(/) {
      open = 1
      stmt = ""
    }
    if (open) {
      stmt = stmt " " line
      if (index(line, ")")) { handle(stmt); open = 0 }
    }
  }
  END {
    for (key in uses) {
      split(key, part, SUBSEP)
      if ((part[2] in folder_of) && folder_of[part[2]] != part[1]) {
        print "folder", part[1], folder_of[part[2]]
      }
    }
    for (key in links) {
      split(key, part, SUBSEP)
      if (part[2] in folder_of) print "target", part[1], folder_of[part[1]], part[2], folder_of[part[2]]
    }
  }' "${cmake_files[@]}" | sort -u)
target_links=$(awk '$1 == "target" { print $2, $3, $4, $5 }' <<<"$edges")
edges=$(awk '$1 == "folder" { print $2, $3 }' <<<"$edges")

# The README's layout table: "| `folder/` | holds | may include | stands |".
readme_rows=""
if [ -f README.md ]; then
  readme_rows=$(awk '/^## Layout/ { on = 1; next } on && /^## / { exit } on && /^\| `/' README.md)
fi
[ -n "$readme_rows" ] || fail "README.md has no layout table (section \"## Layout\")"
declare -A stands=()
bad=0
for d in "${layers[@]}"; do
  row=$(grep -F "| \`$d/\` |" <<<"$readme_rows" || true)
  if [ -z "$row" ]; then
    echo "layer check: README.md's layout table has no row for $d/" >&2
    bad=1
    continue
  fi
  may=$(awk -F'|' '{ print $4 }' <<<"$row")
  stands[$d]=$(awk -F'|' '{ gsub(/^[ \t]+|[ \t]+$/, "", $5); print $5 }' <<<"$row")
  said=$({ grep -oE '`[^`]+`' <<<"$may" || true; } | tr -d '`' | sed 's|/$||' | while read -r w; do
           for l in "${layers[@]}"; do if [ "$w" = "$l" ]; then echo "$w"; fi; done
         done | sort -u | tr '\n' ' ')
  built=$(awk -v d="$d" '$1 == d { print $2 }' <<<"$edges" | sort -u | tr '\n' ' ')
  if [ "$said" != "$built" ]; then
    echo "layer check: README.md says $d/ may include [ ${said}] but its CMakeLists.txt DEPS say [ ${built}]" >&2
    bad=1
  fi
done

# The files: git's list where ROOT is a work tree's top, else every file
# found below ROOT (build trees left out).
files=()
top=$(git -C "$root" rev-parse --show-toplevel 2>/dev/null || true)
if [ -n "$top" ] && [ "$(cd "$top" && pwd -P)" = "$root" ]; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
                         '*.h' '*.cpp' '*.hpp' '*.cc' | grep -v '^build' || true)
else
  mapfile -t files < <(find . \( -path ./.git -o -path './build*' \) -prune -o -type f \
                         \( -name '*.h' -o -name '*.cpp' -o -name '*.hpp' -o -name '*.cc' \) \
                         -print | sed 's|^\./||' | sort)
fi
# Files that vanished since git listed them (deleted, not yet committed).
existing=()
for f in "${files[@]}"; do if [ -f "$f" ]; then existing+=("$f"); fi; done
[ ${#existing[@]} -gt 0 ] || fail "found no source file to check in $root"
listed=$(printf '%s\n' "${existing[@]}")
for d in "${layers[@]}"; do
  grep -q "^$d/" <<<"$listed" || fail "found no source file in $d/ (is the file list complete?)"
done

stands_list=$(for d in "${layers[@]}"; do echo "$d ${stands[$d]:-}"; done)
for part in "collection core" "presentation"; do
  grep -q " $part\$" <<<"$stands_list" ||
    fail "README.md's layout table calls no folder \"$part\" (its fourth column, where each folder stands)"
done

# The links: a target of a collection core folder never links, directly or
# through the targets it links, a target of a presentation folder.
if ! awk -v stands_list="$stands_list" '
  # The chain from `t` to a presentation target, or "".
  function reach(t, path,   i, found) {
    if (t in seen) return seen[t]
    seen[t] = ""
    if (folder_of[t] in presentation) { seen[t] = path; return path }
    for (i = 1; i <= count[t]; i++) {
      found = reach(used[t, i], path " -> " used[t, i])
      if (found != "") { seen[t] = found; return found }
    }
    return ""
  }
  BEGIN {
    n = split(stands_list, rows, "\n")
    for (i = 1; i <= n; i++) {
      d = rows[i]; sub(/ .*/, "", d)
      s = rows[i]; sub(/^[^ ]+ ?/, "", s)
      if (s == "collection core") core[d] = 1
      if (s == "presentation") presentation[d] = 1
    }
  }
  {
    folder_of[$1] = $2
    folder_of[$3] = $4
    used[$1, ++count[$1]] = $3
  }
  END {
    bad = 0
    for (t in folder_of) {
      if (!(folder_of[t] in core)) continue
      delete seen
      found = reach(t, t)
      if (found != "") {
        printf "layer check: %s (%s) links the presentation: %s\n", t, folder_of[t], found > "/dev/stderr"
        bad = 1
      }
    }
    exit bad
  }' <<<"$target_links"; then
  bad=1
fi

# Every include line as "file<TAB>line"; the rules are applied in one pass.
allowed_list=$(for d in "${layers[@]}"; do
                 echo "$d $(awk -v d="$d" '$1 == d { printf "%s ", $2 }' <<<"$edges")"
               done)
set +e
grep -HE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "${existing[@]}" |
  sed -E 's/^([^:]+):/\1\t/' |
  awk -F'\t' -v layers="${layers[*]} $free_dirs" -v allowed_list="$allowed_list" \
      -v stands_list="$stands_list" '
    function layer_of(path,   i) {
      for (i = 1; i <= nl; i++) if (index(path, dir[i] "/") == 1) return dir[i]
      return ""
    }
    BEGIN {
      nl = split(layers, dir, " ")
      n = split(allowed_list, rows, "\n")
      for (i = 1; i <= n; i++) {
        m = split(rows[i], w, " ")
        for (j = 2; j <= m; j++) may[w[1], w[j]] = 1
      }
      n = split(stands_list, rows, "\n")
      for (i = 1; i <= n; i++) {
        d = rows[i]; sub(/ .*/, "", d)
        s = rows[i]; sub(/^[^ ]+ ?/, "", s)
        if (s == "collection core") core[d] = 1
        if (s == "presentation") presentation[d] = 1
      }
      bad = 0
    }
    {
      file = $1
      line = $2
      target = line
      sub(/^[^"<]*["<]/, "", target)
      sub(/[">].*/, "", target)
      layer = layer_of(file)
      quoted = index(line, "\"") > 0
      if (quoted) includes[file] = includes[file] " " target
      if (layer == "" || layer == "tests" || layer == "bench" || layer == "fuzz") next
      if (!quoted && target ~ /^Q/ && layer != "gadget/app") {
        printf "layer check: %s includes Qt (%s): Qt belongs in gadget/app only\n", file, target > "/dev/stderr"
        bad = 1
        next
      }
      if (!quoted) next
      dep = layer_of(target)
      if (dep == "" || dep == layer) next
      if (!((layer, dep) in may)) {
        printf "layer check: %s includes %s: %s may not depend on %s\n", file, target, layer, dep > "/dev/stderr"
        bad = 1
      }
    }
    # Whether `file` reaches, through its quoted includes, a presentation
    # header or Qt; `path` is the chain so far.
    function reach(file, path,   n, t, i, l, found) {
      if (file in seen) return seen[file]
      seen[file] = ""
      l = layer_of(file)
      if (l in presentation) { seen[file] = path; return path }
      n = split(includes[file], t, " ")
      for (i = 1; i <= n; i++) {
        found = reach(t[i], path " -> " t[i])
        if (found != "") { seen[file] = found; return found }
      }
      return ""
    }
    END {
      for (file in includes) {
        if (!(layer_of(file) in core)) continue
        delete seen
        found = reach(file, file)
        if (found != "") {
          printf "layer check: %s reaches the presentation: %s (a collection core folder must work without the window)\n", file, found > "/dev/stderr"
          bad = 1
        }
      }
      exit bad
    }'
status=$?
set -e
[ $status -eq 0 ] || bad=1
[ $bad -eq 0 ] || fail "see the lines above"
echo "layer check: ${#existing[@]} files in ${#layers[@]} folders follow the layers"
