#!/usr/bin/env bash
# The long run of the fault-injection loop: rename batches killed at random
# moments and raced, for a while, at low priority, on each way a move can go
# and on FAT32, exFAT and NTFS through FUSE (remounted, caches dropped), where
# the machine allows those (root, /dev/fuse). Prints each run's figures and
# a table per file system and route ("torn by fs": entries fusefat tore
# itself, see tests/support/fatimage.h; never counted as left behind).
# fat/all, FAT12/16 through fusefat, is left out unless named: there the
# driver damages files by itself, a plain rm or mv as much as a rename of ours.
#   scripts/fault-soak.sh [seconds] [files per batch] [configurations...]
#   (default 600 s in all, 500 files, every configuration below; a FUSE one
#   runs batches of a fifth as many files, of up to 20 KB each)
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TOTAL=${1:-600}
FILES=${2:-500}
shift $(( $# < 2 ? $# : 2 ))
CONFIGS=("$@")
if ((${#CONFIGS[@]} == 0)); then
  CONFIGS=(local/all local/inplace local/across local/link local/reservation
           fat32/all exfat/all ntfs/all)
fi
export CCACHE_BASEDIR=/work CCACHE_NOHASHDIR=1 CCACHE_DIR=${CCACHE_DIR:-/work/.ccache}
[[ -f build/build.ninja ]] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target test_faults -j2 >/dev/null
log=$(mktemp)
all=$(mktemp)
trap 'rm -f "$log" "$all"' EXIT
status=0
per=$(( SECONDS_TOTAL / ${#CONFIGS[@]} ))
for config in "${CONFIGS[@]}"; do
  fs=${config%%/*}
  route=${config#*/}
  [[ $fs == local ]] && fs=""
  [[ $route == all ]] && route=""
  files=$FILES
  [[ -n $fs ]] && files=$(( FILES / 5 > 0 ? FILES / 5 : 1 ))
  # Runs of about a minute each, so that a fault found stops only its own run;
  # the last takes what is left, so that none is too short to kill a batch.
  end=$(( $(date +%s) + per ))
  while (( $(date +%s) < end )); do
    left=$(( end - $(date +%s) ))
    run=$(( left < 90 ? left : 60 ))
    (( run > 0 )) || break
    PELMORA_FAULT_SECONDS=$run PELMORA_FAULT_FILES=$files PELMORA_FAULT_SEED=$RANDOM$RANDOM \
      PELMORA_FAULT_FS=$fs PELMORA_FAULT_ROUTE=$route PELMORA_FAULT_MAX_SIZE=20000 \
      nice -n 19 build/tests/core/faults/test_faults \
      --gtest_filter='FaultInjection.*' --gtest_brief=1 >"$log" 2>&1 || status=1
    grep -E 'fault injection|Failure|lost|copies|left behind|torn by|not back|not undone|gone|doubled|SKIPPED|Skipped' \
      "$log" || true
    grep -E '^fault injection' "$log" >>"$all" || true
  done
done
# The figures per file system and route: "fault injection (where, seed n): name n, ...".
awk '
  /^fault injection/ {
    where = $0; sub(/^fault injection \(/, "", where); sub(/,.*/, "", where)
    rest = $0; sub(/^[^:]*: /, "", rest)
    n = split(rest, kv, ", ")
    for (i = 1; i <= n; ++i) {
      v = kv[i]; sub(/.* /, "", v); k = kv[i]; sub(/ [0-9]+$/, "", k)
      sum[where, k] += v
    }
    if (!(where in seen)) { seen[where] = 1; order[++w] = where }
  }
  END {
    printf "%-22s", "file system/route"
    split("batches,kills,killed undos,races,remounts,files,lost,overwritten,duplicated,not restored,left behind,torn by fs", heads, ",")
    keys[1] = "batches"; keys[2] = "kills"; keys[3] = "killed undos"; keys[4] = "races"
    keys[5] = "remounts"; keys[6] = "files"; keys[7] = "losses"; keys[8] = "overwritten"
    keys[9] = "duplicates"; keys[10] = "not restored"; keys[11] = "leftovers"
    keys[12] = "torn entries"
    for (c = 1; c <= 12; ++c) printf " | %s", heads[c]
    print ""
    for (i = 1; i <= w; ++i) {
      printf "%-22s", order[i]
      for (c = 1; c <= 12; ++c) { printf " | %d", sum[order[i], keys[c]]; total[c] += sum[order[i], keys[c]] }
      print ""
    }
    printf "%-22s", "total"
    for (c = 1; c <= 12; ++c) printf " | %d", total[c]
    print ""
  }' "$all"
exit $status
