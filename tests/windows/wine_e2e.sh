#!/usr/bin/env bash
# ccsim.exe and ccsim-batch.exe under Wine against the Linux build: the four
# files byte for byte, the dialogue byte for byte once CR LF is read as LF,
# the exit statuses, for the examples and the failure paths.
# Usage: tests/windows/wine_e2e.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
export WINEPREFIX="$windows/wineprefix" WINEDEBUG=-all
scratch=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs ccsim in $scratch/$2 (made from the files named after), with $3 as
# standard input, under Linux or Wine ($1); leaves out.txt, err.txt, status.
run_ccsim() {
  local how=$1 dir=$scratch/$2 input=$3
  shift 3
  mkdir -p "$dir"
  for f in "$@"; do cp "$here/examples/$f" "$dir/"; done
  (cd "$dir" && if [ "$how" = linux ]; then
      printf "$input" | "$linux/ccsim" >out.txt 2>err.txt; echo $? >status
    else
      printf "$input" | wine "$windows/ccsim.exe" >out.txt 2>err.txt; echo $? >status
    fi) || true
}

# The same run on both, compared.
same_run() {
  local name=$1 input=$2
  shift 2
  run_ccsim linux "linux-$name" "$input" "$@"
  run_ccsim wine "wine-$name" "$input" "$@"
  local l=$scratch/linux-$name w=$scratch/wine-$name
  [ "$(cat "$l/status")" = "$(cat "$w/status")" ] ||
    fail "$name: exit status $(cat "$l/status") on Linux, $(cat "$w/status") under Wine"
  tr -d '\r' <"$w/out.txt" | cmp -s - "$l/out.txt" || fail "$name: the dialogue differs"
  for f in list1.txt list2.txt token1.txt token2.txt; do
    if [ -f "$l/$f" ] || [ -f "$w/$f" ]; then
      cmp -s "$l/$f" "$w/$f" || fail "$name: $f differs"
    fi
  done
  echo "ok: $name (exit $(cat "$l/status"))"
}

same_run examples '\n\nnn' file1.c file2.c
same_run every-pass '\n\nny' file1.c file2.c
same_run input-ends '' file1.c file2.c
same_run no-second-source '\n' file1.c
# A token file that cannot be written (a folder of that name; read-only
# files do not stop root): the write fails on both, alike.
for how in linux wine; do mkdir -p "$scratch/$how-unwritable/token2.txt"; done
same_run unwritable '\n\nnn' file1.c file2.c

# ccsim-batch.exe ranks the example class as the Linux build does.
(cd "$here/examples" && "$linux/ccsim-batch" -q -f csv class >"$scratch/batch-linux.csv") || true
(cd "$here/examples" && wine "$windows/ccsim-batch.exe" -q -f csv class >"$scratch/batch-wine.csv") || true
tr -d '\r' <"$scratch/batch-wine.csv" | cmp -s - "$scratch/batch-linux.csv" ||
  fail "ccsim-batch: the CSV differs"
grep -q '^alice.c,bob.c,' "$scratch/batch-linux.csv" || fail "ccsim-batch: no CSV on Linux"
echo "ok: ccsim-batch CSV of examples/class"

# Names in Chinese, in a folder and given as arguments, read and shown as on
# Linux whatever the code page.
mkdir -p "$scratch/names/班级" "$scratch/names/王五"
cp "$here/examples/class/alice.c" "$scratch/names/班级/张三.c"
cp "$here/examples/class/bob.c" "$scratch/names/班级/李四.c"
cp "$here/examples/class/eve.c" "$scratch/names/王五/main.c"
# Saved as "Unicode" by a Windows editor: UTF-16 behind its byte-order mark.
{ printf '\377\376'; iconv -f GBK -t UTF-16LE "$here/examples/class/heidi.c"; } >"$scratch/names/班级/赵六.c"
(cd "$scratch/names" && "$linux/ccsim-batch" -q -f csv 班级 王五 >linux.csv 2>linux.err) || true
(cd "$scratch/names" && wine "$windows/ccsim-batch.exe" -q -f csv 班级 王五 >wine.csv 2>wine.err) || true
grep -q '^张三.c,李四.c,' "$scratch/names/linux.csv" || fail "Chinese names: not on Linux"
grep -q '^赵六.c,main.c,0.9' "$scratch/names/linux.csv" || fail "UTF-16: not read on Linux"
tr -d '\r' <"$scratch/names/wine.csv" | cmp -s - "$scratch/names/linux.csv" ||
  fail "Chinese names: the CSV differs ($(cat "$scratch/names/wine.err"))"
echo "ok: ccsim-batch with names in Chinese, a source in UTF-16"

# A class handed in as archives, named in Chinese: a zip whose names are
# marked UTF-8 (zip tools of today), one in GBK unmarked (a Chinese
# Windows), a 7z. Read, named and ranked as on Linux.
if command -v python3 >/dev/null 2>&1; then
  mkdir -p "$scratch/zips"
  python3 - "$here/examples/class" "$scratch/zips" <<'PY'
import sys, zipfile
src, out = sys.argv[1], sys.argv[2]
read = lambda n: open(f"{src}/{n}", "rb").read()
class Gbk(zipfile.ZipInfo):  # the name's GBK bytes, unmarked
    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits
with zipfile.ZipFile(f"{out}/张三.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("作业/主程序.c", read("alice.c"))
with zipfile.ZipFile(f"{out}/李四.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr(Gbk("作业/主程序.c"), read("bob.c"))
with zipfile.ZipFile(f"{out}/班级.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr(Gbk("王五.c"), read("eve.c"))
    z.writestr("赵六/甲.c", read("heidi.c"))
import os  # a student's folder holding the upload, as course platforms export
os.mkdir(f"{out}/钱七")
with zipfile.ZipFile(f"{out}/钱七/作业.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr(Gbk("作业/主.c"), read("carol.c"))
PY
  (cd "$scratch/zips" && "$linux/ccsim-batch" -q -f csv --all-pairs . 班级.zip >linux.csv 2>&1) || true
  (cd "$scratch/zips" && wine "$windows/ccsim-batch.exe" -q -f csv --all-pairs . 班级.zip >wine.csv 2>&1) || true
  grep -q '^张三.zip,李四.zip,0.9' "$scratch/zips/linux.csv" || fail "archives: not read on Linux"
  grep -q '王五.c (GB18030)' "$scratch/zips/linux.csv" || fail "archives: GBK names not read on Linux"
  grep -q '钱七' "$scratch/zips/linux.csv" || fail "archives: one in a student's folder not read"
  tr -d '\r' <"$scratch/zips/wine.csv" | cmp -s - "$scratch/zips/linux.csv" ||
    fail "archives: the CSV differs ($(head -c 300 "$scratch/zips/wine.csv"))"
  echo "ok: ccsim-batch reads archives named in Chinese, UTF-8 or GBK"
else
  fail "archives: python3 is needed to make the archives"
fi

# Outputs written again take the place of the earlier ones, as next year's
# index or a rerun's report do.
mkdir -p "$scratch/outputs"
for year in 1 2; do
  (cd "$scratch/outputs" &&
    wine "$windows/ccsim-batch.exe" -q --write-index past.idx "$here/examples/class/dave.c") ||
    fail "ccsim-batch: index $year not written"
  status=0
  (cd "$scratch/outputs" && wine "$windows/ccsim-batch.exe" -q --report r.html --old past.idx \
    "$here/examples/class" >/dev/null) || status=$?
  [ "$status" -eq 1 ] || fail "ccsim-batch: report $year not written (exit $status)"
done
grep -q '</html>' "$scratch/outputs/r.html" 2>/dev/null || fail "ccsim-batch: no report"
cp "$here/examples/class/dave.c" "$scratch/outputs/d.c"
# The same file by another spelling of its name, as Windows allows.
(cd "$scratch/outputs" && wine "$windows/ccsim-batch.exe" -q --report D.C d.c \
  "$here/examples/class/eve.c" >/dev/null 2>refused.txt) || true
grep -q 'D.C: is a source being compared' "$scratch/outputs/refused.txt" &&
  cmp -s "$scratch/outputs/d.c" "$here/examples/class/dave.c" ||
  fail "ccsim-batch: a report over a source was not refused"
[ ! -e "$scratch/outputs/past.idx.part" ] || fail "ccsim-batch: a partial index is left"
echo "ok: ccsim-batch index and report written over earlier ones"

# A console window of its own (Wine gives one to a program started from a
# terminal, as Windows does to a folder dropped on the program) stays open
# with the table until a key is pressed; a pipe never waits.
if command -v tmux >/dev/null 2>&1; then
  session=ccsim-wine-$$
  tmux new-session -d -s "$session" -x 160 -y 40 "cd '$here/examples' && \
    wine '$windows/ccsim-batch.exe' -q class; echo \$? >'$scratch/own-status'; sleep 60"
  for _ in $(seq 60); do
    tmux capture-pane -t "$session" -p | grep -q 'Press any key' && break
    sleep 1
  done
  tmux capture-pane -t "$session" -p >"$scratch/own-screen.txt"
  if grep -q 'alice.c  bob.c' "$scratch/own-screen.txt" && grep -q 'Press any key' "$scratch/own-screen.txt" &&
    [ ! -e "$scratch/own-status" ]; then
    tmux send-keys -t "$session" x
    for _ in $(seq 20); do [ -e "$scratch/own-status" ] && break; sleep 0.5; done
    if [ "$(cat "$scratch/own-status" 2>/dev/null)" = 1 ]; then
      echo "ok: ccsim-batch keeps its own window open until a key"
    else
      fail "ccsim-batch: no end after the key"
    fi
  else
    fail "ccsim-batch: its own window did not wait with the table"
  fi
  tmux kill-session -t "$session" 2>/dev/null || true
fi

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
