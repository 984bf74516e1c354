#!/usr/bin/env bash
# Prints the src/ tree (folders and their files) and the include graph
# between its folders: "a -> b (n)" when n files of src/a include a header
# of src/b. A folder's includes of itself are left out.
#
# The layers, bottom to top: reader, titles, core, gui, app. With --check
# it prints only what breaks them and fails when a file includes a header
# of a layer above its own, or two subfolders of a layer include each
# other. (A layer's own top folder holds its shared types and its entry
# points, so its subfolders may include it and be included by it.)
#
# Usage: scripts/include-graph.sh [--tree|--graph|--check]   (default: tree and graph)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/src"
what=${1:-all}
layers=(reader titles core gui app)

layer_of() {
  local top=${1%%/*} i
  for i in "${!layers[@]}"; do
    if [[ ${layers[$i]} == "$top" ]]; then
      echo "$i"
      return
    fi
  done
  echo -1
}

# "from-folder to-folder file" for every include of a src/ header.
edges() {
  find . -type f \( -name '*.cpp' -o -name '*.h' \) | sed 's|^\./||' | LC_ALL=C sort | while read -r f; do
    from=$(dirname "$f")
    sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*|\1|p' "$f" | while read -r inc; do
      [[ -e $inc ]] || continue  # not a header of src/
      to=$(dirname "$inc")
      if [[ $to != "$from" ]]; then echo "$from $to $f $inc"; fi
    done
  done
}

if [[ $what == --check ]]; then
  bad=0
  all=$(edges)
  while read -r from to f inc; do
    [[ -n $from ]] || continue
    lf=$(layer_of "$from")
    lt=$(layer_of "$to")
    if ((lf < 0)); then
      echo "src/$f: in no layer (folders: ${layers[*]})"
      bad=1
    elif ((lt > lf)); then
      echo "src/$f includes $inc: ${layers[$lt]} is above ${layers[$lf]}"
      bad=1
    fi
  done <<<"$all"
  # Folders of one layer that include each other.
  pairs=$(awk '{ print $1 " " $2 }' <<<"$all" | LC_ALL=C sort -u)
  while read -r a b; do
    [[ -n $a ]] || continue
    [[ $a == */* && $b == */* ]] || continue
    if grep -qx "$b $a" <<<"$pairs" && [[ $a < $b ]]; then
      echo "src/$a and src/$b include each other"
      bad=1
    fi
  done <<<"$pairs"
  if ((bad)); then exit 1; fi
  echo "include graph: every include runs down the layers (${layers[*]})"
  exit 0
fi

if [[ $what != --graph ]]; then
  echo "src/"
  find . -type f \( -name '*.cpp' -o -name '*.h' -o -name CMakeLists.txt \) -printf '%h\t%f\n' |
    sed 's|^\./||; s|^\.\t|\t|' | LC_ALL=C sort |
    awk -F'\t' '{ if ($1 != last || NR == 1) { print "  " ($1 == "" ? "." : $1 "/"); last = $1 }
                  print "    " $2 }'
fi

if [[ $what != --tree ]]; then
  echo "include graph (folder -> folder, files):"
  edges | awk '{ print $1, $2, $3 }' | sort -u |
    awk '{ n[$1 " -> " $2]++ } END { for (k in n) print "  " k " (" n[k] ")" }' | LC_ALL=C sort
fi
