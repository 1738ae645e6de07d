#!/usr/bin/env bash
# The report and the JSON of a 1,000-submission class (the first 1,000 of a
# real one, by default ../shared/scale/b2-all): their sizes, the time to
# write them, and the report's first paint in headless Chromium.
# Usage: bench/report_bench.sh [REAL_CLASS_DIR] [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
real=${1:-../shared/scale/b2-all}
count=${2:-1000}
bin=build/ccsim-batch
[ -x "$bin" ] || { echo "build first: make test"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/class"
ls "$real" | head -n "$count" | while read -r f; do cp "$real/$f" "$out/class/"; done

TIMEFORMAT=%R
report_s=$({ time "$bin" -q -f table --top 0 --report "$out/r.html" "$out/class" >/dev/null || true; } 2>&1)
json_s=$({ time "$bin" -q -f json "$out/class" >"$out/r.json" || true; } 2>&1)
suspected=$("$bin" -q --top 0 "$out/class" | sed -n 's/.* \([0-9]*\) suspected.*/\1/p' || true)
echo "$count submissions, $suspected suspected pairs"
echo "report: $(du -k "$out/r.html" | cut -f1) KiB, written in $report_s s"
echo "json (tiles of suspected pairs): $(du -k "$out/r.json" | cut -f1) KiB, written in $json_s s"
if [ -x /usr/bin/chromium ] && command -v node >/dev/null 2>&1; then
  echo "first paint: $(node bench/report_paint.js "$out/r.html")"
fi
