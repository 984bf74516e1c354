#!/usr/bin/env bash
# Checks C++ files against .clang-format without changing them; exit 1 and
# the deviations when any file deviates.
#
# Usage: scripts/check-format.sh            the .cpp/.h files changed since the
#                                           merge base with origin/main (or
#                                           main), committed or not
#        scripts/check-format.sh FILE...    these files
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command -v clang-format >/dev/null || { echo "clang-format not found: scripts/deps.sh" >&2; exit 1; }

files=()
if (($#)); then
  files=("$@")
else
  base=""
  for ref in origin/main main; do
    if git rev-parse -q --verify "$ref^{commit}" >/dev/null; then
      base=$(git merge-base HEAD "$ref") && break
    fi
  done
  if [[ -z "$base" ]]; then
    echo "check-format: no origin/main or main to compare with; nothing checked"
    exit 0
  fi
  while IFS= read -r -d '' f; do
    files+=("$f")
  done < <({ git diff -z --name-only --diff-filter=d "$base" -- '*.cpp' '*.h'
             git ls-files -z --others --exclude-standard -- '*.cpp' '*.h'; } | sort -zu)
fi

bad=0
for f in "${files[@]}"; do
  [[ -f "$f" ]] || continue
  if ! out=$(clang-format --dry-run --Werror "$f" 2>&1); then
    printf '%s\n' "$out" | head -20 >&2
    bad=1
  fi
done
if ((bad)); then
  echo "check-format: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check-format: ${#files[@]} file(s) follow .clang-format"
