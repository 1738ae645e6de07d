#!/usr/bin/env bash
# Plants disguised copies (bench/disguise.py) into the real classes and the
# example class, and measures how ccsim-batch and sim_c find them.
# Usage: bench/disguise_bench.sh [BUILD_DIR] [options of bench/disguise_bench.py]
#   bench/disguise_bench.sh build                 # all tricks, mild and heavy
#   bench/disguise_bench.sh build --per-trick     # each trick alone
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ $# -gt 0 ] && shift
if [ ! -x "$build/ccsim-batch" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target ccsim-batch >/dev/null
fi
command -v sim_c >/dev/null || echo "(sim_c not installed: apt-get install similarity-tester)" >&2
exec python3 bench/disguise_bench.py "$build" "$@"
