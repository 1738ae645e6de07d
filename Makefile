# ccsim: the entry points. `make help` lists them.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: help prerequisites build run test bench clean

help:
	@echo "make run    build, then run ccsim in demo/ on examples/file1.c and examples/file2.c"
	@echo "make test   build, then run every test"
	@echo "make bench  build the benchmarks and run them (Release; a few minutes)"
	@echo "make clean  remove build output and demo/"

prerequisites:
	@command -v cmake >/dev/null 2>&1 || { echo "cmake is missing: apt-get install cmake"; exit 1; }
	@command -v c++ >/dev/null 2>&1 || { echo "a C++17 compiler is missing: apt-get install g++"; exit 1; }
	@test -f /usr/include/gtest/gtest.h || { echo "GoogleTest is missing: apt-get install libgtest-dev libgmock-dev"; exit 1; }
	@test -f /usr/include/CLI/CLI.hpp || { echo "CLI11 is missing: apt-get install libcli11-dev"; exit 1; }
	@test -f /usr/include/archive.h || echo "(libarchive-dev is not installed: ccsim-batch will read no archives)"

build: prerequisites
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

# The demo folder is made afresh from the examples each time. The program
# speaks GBK: on a UTF-8 terminal it runs under luit 2 (Debian package luit,
# with its GBK table from xfonts-encodings) when that is installed; the luit
# 1.x of x11-utils (which Chromium pulls in) is not used: it crashes.
GBK_TABLE := /usr/share/fonts/X11/encodings/large/gbk-0.enc.gz
run: build
	@rm -rf demo && mkdir demo && cp examples/file1.c examples/file2.c demo/
	@cd demo && if locale charmap 2>/dev/null | grep -qi 'utf-\?8' && luit -V 2>&1 | grep -q '^luit - 2' && test -f $(GBK_TABLE); then \
	  luit -encoding GBK ../$(BUILD_DIR)/ccsim; \
	else \
	  locale charmap 2>/dev/null | grep -qi 'utf-\?8' && echo "(readable Chinese here needs Debian's luit 2 and xfonts-encodings; luit 2 replaces x11-utils)"; \
	  ../$(BUILD_DIR)/ccsim; \
	fi

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

# Timed runs of the Release build; see the README's performance section.
bench: prerequisites
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DCCSIM_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)
	@$(BUILD_DIR)/bench/tiling_bench
	@bench/batch_bench.sh

clean:
	rm -rf $(BUILD_DIR) build-* demo
