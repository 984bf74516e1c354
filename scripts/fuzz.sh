#!/usr/bin/env bash
# Builds the document reader's libFuzzer targets (all formats) with clang (address and undefined
# behaviour sanitizers) in build-fuzz/ and runs doc_fuzz for SECONDS (default 60).
# Needs: clang libclang-rt-14-dev (PELMORA_FUZZ=1 scripts/deps.sh).
#
# Seeds: tests/data/*.doc and the .doc files of the shared corpus beside the
# checkout (linked, never copied into the tree). New inputs go to
# fuzz/corpus-work/, crashes, leaks and hangs to fuzz/findings/.
# A finding, once fixed, is kept in tests/data/fuzz/ (read by test_reader).
#
# Usage: scripts/fuzz.sh [SECONDS]
#        scripts/fuzz.sh --build-only
#        scripts/fuzz.sh --run FILE...     replay inputs (e.g. a finding)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
mkdir -p "$root/fuzz/findings" "$root/fuzz/corpus-work"

CXX=${CXX_FUZZ:-clang++}
command -v "$CXX" >/dev/null || { echo "$CXX not found: PELMORA_FUZZ=1 scripts/deps.sh" >&2; exit 1; }

# The fuzz targets of the CMake build (PELMORA_BUILD_FUZZ), reader only; -O1
# without NDEBUG, so assertions stay on.
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$CXX" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS=-O1 -DPELMORA_BUILD_FUZZ=ON -DPELMORA_BUILD_CORE=OFF -DPELMORA_BUILD_GUI=OFF \
    -DPELMORA_BUILD_TESTS=OFF -DPELMORA_BUILD_BENCH=OFF "${launcher[@]}"
fi
cmake --build "$build" -j "${PELMORA_JOBS:-2}" --target doc_fuzz fuzz_formats xmlscan_fuzz
bin=$build/fuzz/doc_fuzz

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
