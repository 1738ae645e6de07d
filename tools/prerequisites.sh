#!/usr/bin/env bash
# What each entry point needs from Debian's (or Ubuntu's) packages, in one
# place, and its installation where it is missing: as root, or through sudo
# when that asks no password; elsewhere the one command that installs it
# all is printed and nothing is built.
#
#   tools/prerequisites.sh run       cmake and a compiler: ccsim alone
#   tools/prerequisites.sh test      and what the tests and ccsim-batch need;
#                                    Chromium and Node (the report's tests)
#                                    when they can be had
#   tools/prerequisites.sh windows   MinGW-w64, Wine and what the Windows
#                                    tests use
set -euo pipefail

# Each need: a package, and the file or command that tells it is there.
run_needs=(
  "cmake:cmd:cmake"
  "g++:cmd:g++"
  "make:cmd:make"
)
test_needs=(
  "libgtest-dev:file:/usr/include/gtest/gtest.h"
  "libgmock-dev:file:/usr/include/gmock/gmock.h"
  "libcli11-dev:file:/usr/include/CLI/CLI.hpp"      # ccsim-batch's command line
  "libarchive-dev:file:/usr/include/archive.h"      # classes handed in as archives
)
optional_needs=(
  "chromium:file:/usr/bin/chromium"                 # renders the report in a test
  "nodejs:cmd:node"                                 # runs the report script's tests
  "parallel:cmd:parallel"                           # runs the shard recipe of docs/large-classes.md
  "poppler-utils:cmd:pdftoppm"                      # reads a printed pair's colours back
  "fonts-wqy-zenhei:file:/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"  # Chinese in the report's pictures
)
windows_needs=(
  "g++-mingw-w64-x86-64-posix:cmd:x86_64-w64-mingw32-g++-posix"
  "wine:cmd:wine"
  "wine64:file:/usr/lib/wine/wine64"
  "tmux:cmd:tmux"                                   # a console window of the program's own
  "libz-mingw-w64-dev:file:/usr/x86_64-w64-mingw32/include/zlib.h"
  "dpkg-dev:cmd:dpkg-source"                        # the archive libraries' Debian sources
  "python3:cmd:python3"                             # makes zips with names in Chinese
)

missing() {
  local need package kind what
  for need in "$@"; do
    IFS=: read -r package kind what <<<"$need"
    if [ "$kind" = cmd ]; then command -v "$what" >/dev/null 2>&1 && continue
    else [ -e "$what" ] && continue; fi
    echo "$package"
  done
}

# Installs the packages named; false, having said how, where that cannot be done here.
install() {
  [ $# -eq 0 ] && return 0
  local apt=(apt-get install -y -qq --no-install-recommends "$@")
  local runner=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then runner=(sudo); else
      echo "missing: $*"
      echo "install them with:  sudo apt-get install $*"
      return 1
    fi
  fi
  if ! command -v apt-get >/dev/null 2>&1; then
    echo "missing: $* (Debian's and Ubuntu's package names; this system has no apt-get)"
    return 1
  fi
  echo "installing $*"
  export DEBIAN_FRONTEND=noninteractive
  "${runner[@]}" apt-get update -qq && "${runner[@]}" "${apt[@]}"
}

case "${1:-}" in
  run) install $(missing "${run_needs[@]}") ;;
  test)
    install $(missing "${run_needs[@]}" "${test_needs[@]}")
    # The tests these serve run where they can be had, and say they are
    # skipped where not.
    optional=$(missing "${optional_needs[@]}")
    if [ -n "$optional" ] && ! install $optional; then
      echo "(without $optional: the tests that need it are skipped)"
    fi
    ;;
  windows) install $(missing "${windows_needs[@]}") ;;
  *) echo "usage: $0 run|test|windows" >&2; exit 2 ;;
esac
