#!/usr/bin/env bash
# Builds the document reader's libFuzzer target (all formats) with clang (address and undefined
# behaviour sanitizers) in build-fuzz/ and runs it for SECONDS (default 60).
# Needs: clang libclang-rt-14-dev (PELMORA_FUZZ=1 scripts/deps.sh).
#
# Seeds: tests/data/*.doc and the .doc files of the shared corpus beside the
# checkout (linked, never copied into the tree). New inputs go to
# fuzz/corpus-work/, crashes, leaks and hangs to fuzz/findings/.
# A finding, once fixed, is kept in tests/data/fuzz/ (read by test_doc).
#
# Usage: scripts/fuzz.sh [SECONDS]
#        scripts/fuzz.sh --build-only
#        scripts/fuzz.sh --run FILE...     replay inputs (e.g. a finding)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
mkdir -p "$build" "$root/fuzz/findings" "$root/fuzz/corpus-work"

CXX=${CXX_FUZZ:-clang++}
command -v "$CXX" >/dev/null || { echo "$CXX not found: PELMORA_FUZZ=1 scripts/deps.sh" >&2; exit 1; }

# Rebuild when any reader source or the target is newer than the binary.
bin=$build/doc_fuzz
sources=("$root"/src/platform/doc/*.cpp "$root/fuzz/doc_fuzz.cpp")
stale=0
[[ -x "$bin" ]] || stale=1
for s in "${sources[@]}" "$root"/src/platform/doc/*.h; do
  [[ "$s" -nt "$bin" ]] && stale=1
done
if ((stale)); then
  echo "building $bin"
  objs=()
  for s in "${sources[@]}"; do
    o=$build/$(basename "${s%.cpp}").o
    "$CXX" -std=c++20 -g -O1 -fno-omit-frame-pointer \
      -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined \
      -I "$root/src" $(pkg-config --cflags libzip expat) -c "$s" -o "$o" &
    objs+=("$o")
    # Two compilers at a time at most.
    while (($(jobs -r | wc -l) >= 2)); do wait -n; done
  done
  wait
  # The reader opens .docx packages and XML too.
  "$CXX" -fsanitize=fuzzer,address,undefined "${objs[@]}" $(pkg-config --libs libzip expat) \
    -o "$bin"
fi

case "${1:-}" in
  --build-only) exit 0 ;;
  --run) shift; exec "$bin" -rss_limit_mb=2048 -timeout=10 "$@" ;;
esac
seconds=${1:-60}

seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds"
for f in "$root"/tests/data/*.doc "$root"/tests/data/formats/* "$root"/tests/data/fuzz/*; do
  [[ -f "$f" ]] && ln -sf "$f" "$seeds/data_$(basename "$f")"
done
corpus=$root/../shared/corpus/public
if [[ -d "$corpus" ]]; then
  i=0
  while IFS= read -r -d '' f; do
    ln -sf "$f" "$seeds/corpus_$((i++))_$(basename "$f")"
  done < <(find "$corpus" -type f -iname '*.doc' -print0)
fi

cd "$root"
exec "$bin" -max_total_time="$seconds" -max_len=131072 -rss_limit_mb=2048 -timeout=10 \
  -dict="$root/fuzz/doc.dict" -artifact_prefix="$root/fuzz/findings/" -print_final_stats=1 \
  "$root/fuzz/corpus-work" "$seeds"
