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

# A class dropped on ccsim-batch.exe. Windows gives the program a console
# window of its own then; so does Wine to a program started from a terminal
# (here a tmux pane on a server of the test's own): the same console, the
# same GetConsoleProcessList, no switch of the test's. The program writes
# the report beside the class under a name no file has, hands it to the
# browser (Wine's winebrowser runs xdg-open: a stand-in logs what it is
# given), says where it is, and keeps the window with the table until a
# key. Started from a console (cmd.exe shares it), nothing of that happens.
if command -v tmux >/dev/null 2>&1 && command -v python3 >/dev/null 2>&1; then
  drop=$scratch/drop
  mkdir -p "$drop/bin" "$drop/desk"
  printf '#!/bin/sh\necho "$1" >>"%s/opened.log"\n' "$drop" >"$drop/bin/xdg-open"
  chmod +x "$drop/bin/xdg-open"
  cp -r "$here/examples/class" "$drop/desk/class"
  echo "the teacher's own" >"$drop/desk/class-ccsim-report.html"
  python3 - "$here/examples/class" "$drop/desk" <<'PY'
import sys, zipfile
with zipfile.ZipFile(f"{sys.argv[2]}/班级.zip", "w") as z:
    for n in ("alice.c", "bob.c", "eve.c"):
        z.write(f"{sys.argv[1]}/{n}", n)
PY
  tmux_server=ccsim-wine-$$
  # Runs `wine ARGS...` in a pane of its own with the environment given in
  # $1 ("" for none), from $drop/desk; leaves the screen in $drop/$name.screen
  # once it asks for a key (or after 60 seconds), then presses one and
  # leaves the exit status in $drop/$name.status.
  in_own_window() {
    local name=$1 env=$2
    shift 2
    local command="cd '$drop/desk' && env WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all PATH='$drop/bin:$PATH' $env wine"
    for a in "$@"; do command+=" '$a'"; done
    command+="; echo \$? >'$drop/$name.status'; sleep 60"
    tmux -L "$tmux_server" new-session -d -s "$name" -x 200 -y 40 "$command"
    for _ in $(seq 60); do
      tmux -L "$tmux_server" capture-pane -t "$name" -p | grep -q 'Press any key' && break
      [ -e "$drop/$name.status" ] && break
      sleep 1
    done
    tmux -L "$tmux_server" capture-pane -t "$name" -p >"$drop/$name.screen"
    [ -e "$drop/$name.status" ] && cp "$drop/$name.status" "$drop/$name.before-key"
    tmux -L "$tmux_server" send-keys -t "$name" x
    for _ in $(seq 20); do [ -e "$drop/$name.status" ] && break; sleep 0.5; done
    tmux -L "$tmux_server" kill-session -t "$name" 2>/dev/null || true
  }
  screen_has() { tr -d '\n' <"$drop/$1.screen" | tr -s ' ' | grep -qF "$2"; }

  # The folder, beside a report of the teacher's: that one is kept, the new
  # one numbered. No browser can be started here (winebrowser disabled):
  # the window says where the report is, and the run ends as it would have.
  in_own_window folder "WINEDLLOVERRIDES=winebrowser.exe=d" "$windows/ccsim-batch.exe" class
  report=$drop/desk/class-ccsim-report-2.html
  if [ -e "$drop/folder.before-key" ]; then
    fail "dropped folder: ended without waiting for a key ($(cat "$drop/folder.screen"))"
  elif ! screen_has folder 'alice.c bob.c suspected' || ! screen_has folder 'Press any key'; then
    fail "dropped folder: the window shows no table and no prompt ($(cat "$drop/folder.screen"))"
  elif [ "$(cat "$drop/folder.status" 2>/dev/null)" != 1 ]; then
    fail "dropped folder: exit status $(cat "$drop/folder.status" 2>/dev/null) after the key, not 1"
  elif [ "$(cat "$drop/desk/class-ccsim-report.html")" != "the teacher's own" ]; then
    fail "dropped folder: the report already there was written over"
  elif ! grep -q '</html>' "$report" 2>/dev/null || ! grep -q 'alice.c' "$report"; then
    fail "dropped folder: no report beside the class ($(ls "$drop/desk"))"
  elif ! screen_has folder "no browser could be started; the report is Z:$report"; then
    fail "dropped folder: the window does not say where the report is ($(cat "$drop/folder.screen"))"
  elif [ -e "$drop/opened.log" ]; then
    fail "dropped folder: a browser was started though none could be"
  else
    echo "ok: a dropped folder's report is written beside it, numbered, and said; the window waits"
  fi

  # An archive named in Chinese: its report beside it, handed to the browser.
  in_own_window archive "" "$windows/ccsim-batch.exe" 班级.zip
  report=$drop/desk/班级-ccsim-report.html
  if ! grep -q '</html>' "$report" 2>/dev/null; then
    fail "dropped archive: no report beside it ($(ls "$drop/desk"))"
  elif ! screen_has archive "the report is Z:$report, opened in the browser"; then
    fail "dropped archive: the window does not say where the report is ($(cat "$drop/archive.screen"))"
  elif [ "$(cat "$drop/opened.log" 2>/dev/null)" != "file://$drop/desk/%E7%8F%AD%E7%BA%A7-ccsim-report.html" ]; then
    fail "dropped archive: the browser was not given the report ($(cat "$drop/opened.log" 2>/dev/null))"
  elif [ "$(cat "$drop/archive.status" 2>/dev/null)" != 1 ] || [ -e "$drop/archive.before-key" ]; then
    fail "dropped archive: no wait for a key, or exit status $(cat "$drop/archive.status" 2>/dev/null)"
  else
    echo "ok: a dropped archive named in Chinese has its report beside it, opened in the browser"
  fi

  # From a console: the table as ever, no report, no wait.
  ls "$drop/desk" >"$drop/desk-before"
  in_own_window console "" cmd /c "$(winepath -w "$windows/ccsim-batch.exe" 2>/dev/null)" class
  if [ "$(cat "$drop/console.before-key" 2>/dev/null)" != 1 ] || ! screen_has console 'alice.c bob.c suspected'; then
    fail "from a console: not the table and status 1 without a key ($(cat "$drop/console.screen"))"
  elif ! ls "$drop/desk" | cmp -s - "$drop/desk-before"; then
    fail "from a console: a report was written ($(ls "$drop/desk"))"
  else
    echo "ok: started from a console, ccsim-batch writes no report and does not wait"
  fi
  tmux -L "$tmux_server" kill-server 2>/dev/null || true
else
  fail "a class dropped on the program: tmux and python3 are needed"
fi

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
