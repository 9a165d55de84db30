# Velmora: cross-built for 32-bit Windows, unit-tested natively, and tested
# end to end under Wine.
#   make run     set up, build, and start velmora.exe under Wine
#   make test    set up, build, and run every test (unit and end-to-end)
#   make asan    the unit suite under AddressSanitizer and UBSan
#   make fuzz    the libFuzzer targets, each for FUZZ_SECONDS
#   make bench   every performance figure (bench/run_bench.py, about 4 min;
#                IDLE_SECONDS of idle CPU, default 60); not part of test
#   make dist    dist/velmora-1.01-win32.zip (velmora.exe, Velmora.html,
#                README.md, LICENSE)
#   make screenshots  the PNG pictures of docs/images, taken under Wine
# (make test runs both as tests of its one ctest run)
# BUILD_DIR is the build folder (default build); BUILD_TYPE the CMake build
# type of both trees (default Release); JOBS the parallel jobs (default 2).

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= 2

ABS_BUILD := $(abspath $(BUILD_DIR))
WIN32_DIR := $(ABS_BUILD)/win32
NATIVE_DIR := $(ABS_BUILD)/native
WINEPREFIX_DIR := $(ABS_BUILD)/wineprefix
ASAN_DIR := $(ABS_BUILD)/asan
FUZZ_DIR := $(ABS_BUILD)/fuzz
FUZZ_SECONDS ?= 60
IDLE_SECONDS ?= 60
VERSION := 1.01
DIST_ZIP := dist/velmora-$(VERSION)-win32.zip

.PHONY: all setup build build-win32 build-native test unit e2e run clean
.PHONY: asan fuzz dist screenshots bench

all: build

setup:
	@scripts/setup.sh

build: build-win32 build-native

build-win32:
	@cmake -S . -B $(WIN32_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build $(WIN32_DIR) -j $(JOBS)

build-native:
	@cmake -S . -B $(NATIVE_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DVELMORA_WIN32_DIR=$(WIN32_DIR) -DVELMORA_WINEPREFIX=$(WINEPREFIX_DIR) \
	  -DVELMORA_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build $(NATIVE_DIR) -j $(JOBS)

# One ctest run over unit and end-to-end tests; the end-to-end tests share
# the Wine prefix and a private X display, and take turns.
test: setup
	@$(MAKE) --no-print-directory build
	@cd $(NATIVE_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

unit: build-native
	@cd $(NATIVE_DIR) && ctest --output-on-failure -j $(JOBS) -LE 'e2e|asan|fuzz'

e2e: build
	@cd $(NATIVE_DIR) && ctest --output-on-failure -L e2e

# The whole unit suite under ASan (leak checking on) and fatal UBSan, built
# with g++ in its own folder.
asan:
	@ASAN_BUILD_DIR=$(ASAN_DIR) JOBS=$(JOBS) scripts/asan-tests.sh

# fuzz_listfile and fuzz_formdesc (clang), both at once for FUZZ_SECONDS;
# fails on any finding and prints executions per second.
fuzz:
	@FUZZ_BUILD_DIR=$(FUZZ_DIR) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/fuzz.sh

run: setup
	@$(MAKE) --no-print-directory build-win32
	@scripts/run.sh $(WIN32_DIR) $(WINEPREFIX_DIR)

dist: setup
	@$(MAKE) --no-print-directory build-win32
	@scripts/dist.sh $(WIN32_DIR) $(DIST_ZIP)

# Pictures for the README, of the real program under Wine on a private Xvfb.
screenshots: setup
	@$(MAKE) --no-print-directory build-win32
	@scripts/screenshots.py $(WIN32_DIR) $(ABS_BUILD)/wineprefix-screenshots docs/images

# Size, native benchmarks, heap and the Wine timings, each against a baseline
# of the same run; the report goes to $(BUILD_DIR)/bench/results.md.
bench: setup
	@$(MAKE) --no-print-directory build
	@python3 bench/run_bench.py --build $(ABS_BUILD) --idle-seconds $(IDLE_SECONDS)

clean:
	rm -rf $(BUILD_DIR)
