#!/usr/bin/env bash
# Fuzzes the title finder (titlefinder_fuzz) for SECONDS (default 60): body,
# text boxes and header as arbitrary paragraph lists. Seeds: the title
# layouts of tests/data/titles/layouts, written in the target's input form.
# Layout and needs: scripts/lib/fuzz.sh.
#
# Usage: scripts/fuzz-titles.sh [SECONDS]
#        scripts/fuzz-titles.sh --run FILE...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/fuzz.sh"
fuzz_build
if [[ "${1:-}" == --run ]]; then shift; fuzz_replay titlefinder_fuzz "$@"; exit; fi
seconds=${1:-60}

seeds=$(fuzz_seeds titlefinder_fuzz)
python3 - "$root/tests/data/titles/layouts" "$seeds" <<'PY'
import os, re, struct, sys
src, out = sys.argv[1:]
for name in sorted(os.listdir(src)):
    units = []
    for line in open(os.path.join(src, name), encoding="utf-8"):
        m = re.match(r"(p|box)\b(.*?) : (.*)", line.rstrip("\n"))
        if not m:
            continue
        opts, text = m.group(2), m.group(3).replace("\\n", "\v").replace("\\t", "\t")
        size = re.search(r"size=(\d+)", opts)
        half = 2 * int(size.group(1)) if size else 24
        a = 1 | (2 if "center" in opts else 0) | (4 if "bold" in opts else 0)
        b = (min(half, 127)) | ((min(half, 63)) << 7) | (0x2000 if "red" in opts else 0)
        units += [a, b] + [ord(c) for c in text if ord(c) < 0x10000 and ord(c) != 13] + [13]
    with open(os.path.join(out, name + ".bin"), "wb") as f:
        f.write(struct.pack("<%dH" % len(units), *units))
PY
fuzz_run titlefinder_fuzz "$seconds" 8192 -- "$seeds"
