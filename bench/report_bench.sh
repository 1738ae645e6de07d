#!/usr/bin/env bash
# The report at scale, measured in headless Chromium (bench/report_timing.js):
#  1. a 1,000-submission class (the first 1,000 of a real one, by default
#     ../shared/scale/b2-all) at the defaults: sizes, the time to write the
#     report and the JSON, first paint;
#  2. a report of about 11,000 pairs (the whole real class at --threshold
#     0.44: 11,104 suspected pairs and the 100 below them): first paint,
#     opening pairs across the list, the j and n keys, each keystroke of a
#     search. The targets: 100 ms for a pair or a keystroke, 1 s to first
#     paint for 1,000 submissions.
# Usage: bench/report_bench.sh [REAL_CLASS_DIR] [COUNT] [THRESHOLD]
set -euo pipefail
cd "$(dirname "$0")/.."
real=${1:-../shared/scale/b2-all}
count=${2:-1000}
threshold=${3:-0.44}
bin=build/ccsim-batch
[ -x "$bin" ] || { echo "build first: cmake --build build --target ccsim-batch"; exit 1; }
[ -d "$real" ] || { echo "no class at $real: name one (a folder of submissions)"; exit 1; }
command -v node >/dev/null 2>&1 && [ -x "${CHROMIUM:-/usr/bin/chromium}" ] ||
  { echo "needs node and chromium"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/class"
# (the names read whole first: with pipefail, ls cut short by head would
# end the script)
mapfile -t names < <(ls "$real")
for f in "${names[@]:0:$count}"; do cp -r "$real/$f" "$out/class/"; done

TIMEFORMAT=%R
echo "== $count submissions, the defaults"
report_s=$({ time "$bin" -q -f table --top 0 --report "$out/r.html" "$out/class" >/dev/null || true; } 2>&1)
json_s=$({ time "$bin" -q -f json "$out/class" >"$out/r.json" || true; } 2>&1)
echo "report: $(du -k "$out/r.html" | cut -f1) KiB, written in $report_s s;" \
     "json (tiles of suspected pairs): $(du -k "$out/r.json" | cut -f1) KiB, written in $json_s s"
node bench/report_timing.js "$out/r.html" B2

echo "== the whole of $real at --threshold $threshold"
big_s=$({ time "$bin" -q -f table --top 0 -t "$threshold" --report "$out/big.html" "$real" >/dev/null || true; } 2>&1)
echo "report written in $big_s s"
node bench/report_timing.js "$out/big.html" B2001
