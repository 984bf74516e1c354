#!/usr/bin/env bash
# The long run of the fault-injection loop: rename batches killed at random
# moments and raced, for a while, at low priority. Prints the figures
# (batches, kills, files, losses, ...) of each run.
#   scripts/fault-soak.sh [seconds] [files per batch]    (default 600, 500)
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TOTAL=${1:-600}
FILES=${2:-500}
export CCACHE_BASEDIR=/work CCACHE_NOHASHDIR=1 CCACHE_DIR=${CCACHE_DIR:-/work/.ccache}
[[ -f build/build.ninja ]] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target test_faults -j2 >/dev/null
# Runs of about a minute each, so that a fault found stops only its own run.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
end=$(( $(date +%s) + SECONDS_TOTAL ))
status=0
while (( $(date +%s) < end )); do
  left=$(( end - $(date +%s) ))
  run=$(( left < 60 ? left : 60 ))
  (( run > 0 )) || break
  PELMORA_FAULT_SECONDS=$run PELMORA_FAULT_FILES=$FILES PELMORA_FAULT_SEED=$RANDOM$RANDOM \
    nice -n 10 build/tests/core/faults/test_faults --gtest_brief=1 >"$log" 2>&1 || status=1
  grep -E 'fault injection|Failure|lost|copies|left behind|not back' "$log" || true
  grep -E '^fault injection' "$log" >>"$log.all" || true
done
# The figures of all runs together.
awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9]+,?$/ && $(i-1) !~ /seed/) { k = $(i-1); if ($(i-2) == "killed" || $(i-2) == "not") k = $(i-2) " " k; sum[k] += $i + 0 } }
     END { printf "total: "; for (k in sum) printf "%s %d; ", k, sum[k]; print "" }' "$log.all"
rm -f "$log.all"
exit $status
