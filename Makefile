# ccsim: the entry points. `make help` lists them.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: help prerequisites test-prerequisites build run test bench windows windows-test clean

help:
	@echo "make run    build, then run ccsim in demo/ on examples/file1.c and examples/file2.c"
	@echo "make test   build, then run every test"
	@echo "make bench  build the benchmarks and run them (Release; a few minutes)"
	@echo "make windows  cross-build build-windows/ccsim.exe and ccsim-batch.exe (MinGW-w64)"
	@echo "make windows-test  and run their tests under Wine, against the Linux build"
	@echo "make clean  remove build output and demo/"

# What every build needs (CMake and a compiler; the demo needs nothing
# more), and what the tests and ccsim-batch need as well, installed where
# missing: tools/prerequisites.sh holds the lists.
prerequisites:
	@tools/prerequisites.sh run

test-prerequisites:
	@tools/prerequisites.sh test

build: test-prerequisites
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

# The demo folder is made afresh from the examples each time. Only ccsim is
# built. On a terminal the program shows its GBK dialogue in the terminal's
# own character set; piped, it writes the GBK bytes.
run: prerequisites
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target ccsim
	@rm -rf demo && mkdir demo && cp examples/file1.c examples/file2.c demo/
	@cd demo && ../$(BUILD_DIR)/ccsim

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)
	@command -v node >/dev/null 2>&1 && test -x /usr/bin/chromium || echo "(the report's browser tests were skipped: they need Chromium and Node)"

# Timed runs of the Release build; see docs/performance.md.
bench: test-prerequisites
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DCCSIM_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)
	@$(BUILD_DIR)/bench/tiling_bench
	@bench/batch_bench.sh

# Windows executables, cross-built with Debian's MinGW-w64.
WINDOWS_DIR := build-windows
# The libraries it reads archives with are built for it once, from Debian's
# sources (cmake/mingw-libraries.sh: a download, and two minutes).
windows:
	@tools/prerequisites.sh windows
	@cmake/mingw-libraries.sh $(WINDOWS_DIR)/libraries
	@cmake -S . -B $(WINDOWS_DIR) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCCSIM_MINGW_LIBRARIES=$(CURDIR)/$(WINDOWS_DIR)/libraries \
	  -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WINDOWS_DIR) -j$(JOBS) --target ccsim ccsim-batch

# The unit tests of the core and the programs end to end, under Wine (a
# prefix of its own in the build folder), against the Linux build.
windows-test: windows build
	@cmake --build $(WINDOWS_DIR) -j$(JOBS) --target unit_tests
	@WINEPREFIX=$(CURDIR)/$(WINDOWS_DIR)/wineprefix WINEDEBUG=-all wine $(WINDOWS_DIR)/tests/unit_tests.exe --gtest_brief=1; \
	  status=$$?; WINEPREFIX=$(CURDIR)/$(WINDOWS_DIR)/wineprefix wineserver -k 2>/dev/null; exit $$status
	@tests/windows/wine_e2e.sh $(BUILD_DIR) $(WINDOWS_DIR)

clean:
	rm -rf $(BUILD_DIR) build-* demo
