#!/usr/bin/env bash
# Times ccsim-batch on a made-up class (default 500 submissions of 100 to 300
# lines), beside sim_c (Debian package similarity-tester, `sim_c -p -e`) on
# the same files. Usage: bench/batch_bench.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-500}

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCCSIM_BENCH=ON >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
dir=bench/out/class$count
rm -rf "$dir"
mkdir -p "$dir"
build/bench/make_class "$dir" "$count"
lines=$(cat "$dir"/*.c | wc -l)
pairs=$((count * (count - 1) / 2))

# Wall-clock seconds of a command, its output thrown away.
seconds() {
  local TIMEFORMAT=%R
  { time "$@" >/dev/null 2>&1 || true; } 2>&1
}

echo "$count submissions, $lines lines, $pairs pairs, $(nproc) cores"
echo
echo "| tool | command | seconds |"
echo "|---|---|---|"
for format in csv table; do
  echo "| ccsim-batch | \`ccsim-batch --quiet --format $format DIR\` | $(seconds build/ccsim-batch --quiet --format "$format" "$dir") |"
done
echo "| ccsim-batch | \`ccsim-batch --quiet --report r.html DIR\` | $(seconds build/ccsim-batch --quiet --report "$dir/../report$count.html" "$dir") |"
if command -v sim_c >/dev/null 2>&1; then
  echo "| sim_c | \`sim_c -p -e DIR/*.c\` | $(seconds sim_c -p -e "$dir"/*.c) |"
else
  echo "| sim_c | not installed (apt-get install similarity-tester) | - |"
fi
