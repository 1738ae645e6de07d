#!/usr/bin/env bash
# Times ccsim-batch on large classes: a real class of one exercise (by
# default ../shared/scale/b2-all) in the default indexed mode, with
# --all-pairs (the reference: the same pairs above the floor must come out)
# and in four shards joined by --merge; sim_c beside it where it is
# installed (Debian package similarity-tester). Then a generated class of
# COUNT submissions (bench/make_big_class.py, from the real one), with the
# share of its planted copies that are flagged, and a new class of 300 of
# its kind checked against an index file (--write-index) of the COUNT.
# Usage: bench/scale_bench.sh [REAL_CLASS_DIR] [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
real=${1:-../shared/scale/b2-all}
count=${2:-50000}
bin=build/ccsim-batch
[ -x "$bin" ] || { echo "build first: make test"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# "seconds peak-MB" of a command, its standard output to $1.
measure() {
  local into=$1
  shift
  /usr/bin/time -f "%e %M" -o "$out/time" "$@" >"$into" 2>/dev/null || true
  tail -n 1 "$out/time" | awk '{ printf "%s s, %d MB", $1, $2 / 1024 }'
}

echo "$(ls "$real" | wc -l) submissions in $real, $(nproc) cores"
echo
echo "| run | time, peak memory |"
echo "|---|---|"
echo "| ccsim-batch (index, floor 0.467) | $(measure "$out/index.csv" "$bin" -q -f csv "$real") |"
echo "| ccsim-batch --all-pairs | $(measure "$out/all.csv" "$bin" -q --all-pairs -f csv "$real") |"
shards=""
for k in 1 2 3 4; do
  shards+="$(measure "$out/part$k" "$bin" -q --shard "$k/4" "$real"); "
done
echo "| ccsim-batch --shard k/4, each | ${shards%; } |"
echo "| ccsim-batch --merge of the 4 | $(measure "$out/merged.csv" "$bin" -f csv --merge "$out"/part1 "$out"/part2 "$out"/part3 "$out"/part4) |"
if command -v sim_c >/dev/null 2>&1; then
  echo "| sim_c -p -t 1 -s (default mode) | $(cd "$real" && measure /dev/null sim_c -p -t 1 -s ./*.c) |"
fi
{ head -n 1 "$out/all.csv"; awk -F, 'NR > 1 && $3 >= 0.466667' "$out/all.csv"; } >"$out/floored.csv"
if cmp -s "$out/floored.csv" "$out/index.csv"; then same=yes; else same=NO; fi
if cmp -s "$out/merged.csv" "$out/index.csv"; then merged=yes; else merged=NO; fi
echo
echo "pairs at or above the floor: $(($(wc -l <"$out/index.csv") - 1)); the same as --all-pairs: $same; the merge the same as one run: $merged"

echo
python3 bench/make_big_class.py "$real" "$out/big" "$count"
echo "generated: $count submissions ($(du -sh "$out/big" | cut -f1))"
echo "| ccsim-batch (index, floor 0.467) | $(measure "$out/big.csv" "$bin" -q -f csv "$out/big") |"
python3 - "$out/big-planted.txt" "$out/big.csv" <<'PY'
import csv, sys
planted = {tuple(sorted(l.split())) for l in open(sys.argv[1]) if len(l.split()) == 2}
rows = list(csv.DictReader(open(sys.argv[2])))
flagged = {tuple(sorted((r["first"], r["second"]))) for r in rows if float(r["score"]) >= 0.7}
print("planted copies flagged: %d of %d; pairs flagged in all: %d"
      % (len(planted & flagged), len(planted), len(flagged)))
PY

mkdir "$out/new"
python3 bench/make_big_class.py "$real" "$out/new" 300 7 >/dev/null
echo "| ccsim-batch --write-index (the $count) | $(measure /dev/null "$bin" -q --write-index "$out/past.idx" "$out/big") |"
echo "| ccsim-batch --old past.idx, 300 new | $(measure "$out/new.csv" "$bin" -q -f csv --old "$out/past.idx" "$out/new") |"
