#!/usr/bin/env bash
# Prints the src/ tree (folders and their files) and the include graph
# between its folders: "a -> b (n)" when n files of src/a include a header
# of src/b. A folder's includes of itself are left out.
#
# Usage: scripts/include-graph.sh [--tree|--graph]   (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/src"
what=${1:-all}

if [[ $what != --graph ]]; then
  echo "src/"
  find . -type f \( -name '*.cpp' -o -name '*.h' -o -name CMakeLists.txt \) -printf '%h\t%f\n' |
    sed 's|^\./||; s|^\.\t|\t|' | LC_ALL=C sort |
    awk -F'\t' '{ if ($1 != last || NR == 1) { print "  " ($1 == "" ? "." : $1 "/"); last = $1 }
                  print "    " $2 }'
fi

if [[ $what != --tree ]]; then
  echo "include graph (folder -> folder, files):"
  find . -type f \( -name '*.cpp' -o -name '*.h' \) | sed 's|^\./||' | sort | while read -r f; do
    from=$(dirname "$f")
    sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*|\1|p' "$f" | while read -r inc; do
      [[ -e $inc ]] || continue  # not a header of src/
      to=$(dirname "$inc")
      if [[ $to != "$from" ]]; then echo "$from $to $f"; fi
    done
  done | sort -u | awk '{ n[$1 " -> " $2]++ } END { for (k in n) print "  " k " (" n[k] ")" }' | sort
fi
