#!/usr/bin/env bash
# Stress for ccsim-batch's input side: a class of 10,000 tiny files, a
# student's folder 2,000 deep, and a 200 MB source (at the default size
# limit, and past it under an address space limit). Prints time, peak memory
# and how each run ended.
# Usage: bench/input_stress.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build}/ccsim-batch
dir=$(mktemp -d)
deep_dir=$(mktemp -d)  # apart, so that the run on $dir does not walk it
trap 'rm -rf "$dir" "$deep_dir"' EXIT

mkdir "$dir/tiny"
for k in $(seq 1 10000); do
  printf 'int main(){int a%d=%d;printf("%%d",a%d*%d);return 0;}\n' "$k" "$k" "$k" $((k % 7)) >"$dir/tiny/s$k.c"
done
cp "$dir/tiny/s1.c" "$deep_dir/"
deep="$deep_dir/s2"
for k in $(seq 1 2000); do deep+=/d; done
mkdir -p "$deep"
cp "$dir/tiny/s2.c" "$deep/"
python3 - "$dir/big.c" <<'PY'
import sys
line = b"int f(int a){return a*3+1;}\n"
with open(sys.argv[1], "wb") as f:
    f.write(line * (200 * 1024 * 1024 // len(line)))
PY

# One run: its wall seconds, peak resident memory, exit status and the last
# line it wrote on standard error.
run() {
  local label=$1 limit=$2
  shift 2
  local status=0
  (ulimit -v "$limit"; exec /usr/bin/time -o "$dir/time" -f '%e s, %M KiB' "$@") >/dev/null 2>"$dir/err" || status=$?
  printf '| %s | %s, exit %s | %s |\n' "$label" "$(tail -n 1 "$dir/time")" "$status" "$(tail -n 1 "$dir/err" | sed "s#$dir/##")"
}

echo "| case | seconds, peak KiB, exit | last message |"
echo "|---|---|---|"
run "10,000 tiny files" unlimited "$bin" --quiet --top 0 "$dir/tiny"
run "a folder 2,000 deep" unlimited "$bin" --quiet --top 0 "$deep_dir"
run "200 MB source, default --max-size" unlimited "$bin" --quiet --top 0 "$dir/big.c" "$dir/tiny/s1.c"
run "200 MB source in a folder" unlimited "$bin" --quiet --top 0 "$dir"
run "200 MB source, --max-size 300M, ulimit -v 4 GiB" 4194304 "$bin" --quiet --top 0 --max-size 300M "$dir/big.c" "$dir/tiny/s1.c"
