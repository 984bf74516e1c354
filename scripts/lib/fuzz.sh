# libFuzzer runs for the fuzz scripts (source this file). One layout for all:
#   build-fuzz/                 the fuzz build (clang, ASan + UBSan, -O1, assertions on)
#   build-fuzz/seeds/<target>/  seeds gathered for a run (links or extracted parts)
#   fuzz/corpus/<target>/       the working corpus, kept between runs (not committed)
#   fuzz/findings/<target>/     crashes, leaks, timeouts and slow inputs
# A finding, once fixed, is kept in tests/data/fuzz/ (replayed by ctest and
# read by test_reader).
#
#   fuzz_build                     configures and builds every fuzz target
#   fuzz_seeds TARGET              an empty seed folder for TARGET; prints it
#   fuzz_run TARGET SECONDS MAXLEN [libFuzzer options...] -- SEEDDIR...
#   fuzz_replay TARGET FILE...     runs the inputs once (e.g. a finding)
#
# Needs: clang libclang-rt-14-dev (PELMORA_FUZZ=1 scripts/deps.sh).

fuzz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
fuzz_build_dir=$fuzz_root/build-fuzz

fuzz_build() {
  local cxx=${CXX_FUZZ:-clang++}
  command -v "$cxx" >/dev/null || { echo "$cxx not found: PELMORA_FUZZ=1 scripts/deps.sh" >&2; exit 1; }
  if [[ ! -f "$fuzz_build_dir/CMakeCache.txt" ]]; then
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$fuzz_root" -B "$fuzz_build_dir" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
      -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DPELMORA_BUILD_FUZZ=ON \
      -DPELMORA_BUILD_CORE=OFF -DPELMORA_BUILD_GUI=OFF -DPELMORA_BUILD_TESTS=OFF \
      -DPELMORA_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
  fi
  nice -n 19 cmake --build "$fuzz_build_dir" -j "${PELMORA_JOBS:-2}" \
    --target doc_fuzz fuzz_formats xmlscan_fuzz titlefinder_fuzz
}

fuzz_seeds() {
  local dir=$fuzz_build_dir/seeds/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

fuzz_run() {
  local target=$1 seconds=$2 maxlen=$3
  shift 3
  local opts=()
  while (($#)) && [[ $1 != -- ]]; do opts+=("$1"); shift; done
  [[ ${1:-} == -- ]] && shift
  local corpus=$fuzz_root/fuzz/corpus/$target findings=$fuzz_root/fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  # Empty seeds (parts a fixture lacks) only slow libFuzzer's start.
  local seeds
  for seeds in "$@"; do find "$seeds" -size 0 -delete; done
  cd "$findings"
  nice -n 19 "$fuzz_build_dir/fuzz/$target" -max_total_time="$seconds" -max_len="$maxlen" \
    -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$findings/" -print_final_stats=1 \
    "${opts[@]}" "$corpus" "$@"
}

fuzz_replay() {
  local target=$1
  shift
  "$fuzz_build_dir/fuzz/$target" -rss_limit_mb=2048 -timeout=10 "$@"
}
