# Velmora: cross-built for 32-bit Windows (the product) and 64-bit Windows
# beside it, unit-tested natively, and tested end to end under Wine.
#   make run     set up, build, and start velmora.exe under Wine: the 32-bit
#                program where the host runs 32-bit code, the 64-bit one
#                elsewhere (it says which, and why)
#   make test    set up, build, and run every test (unit, and end-to-end for
#                each architecture the host runs)
#   make asan    the unit suite under AddressSanitizer and UBSan
#   make fuzz    the libFuzzer targets, each for FUZZ_SECONDS
#   make bench   every performance figure (bench/run_bench.py, about 4 min;
#                IDLE_SECONDS of idle CPU, default 60) of the architecture
#                make run would start; not part of test
#   make dist    dist/velmora-<version>-win32.zip and -win64.zip (the version
#                of src/version.h)
#                (velmora.exe, Velmora.html, README.md, LICENSE) and
#                dist/SHA256SUMS
#   make screenshots  the PNG pictures of docs/images, taken under Wine
#   make tidy    clang-tidy over src/ (scripts/tidy.sh; the checks are in
#                .clang-tidy)
# (make test runs asan, fuzz and tidy too, as tests of its one ctest run)
# BUILD_DIR is the build folder (default build); BUILD_TYPE the CMake build
# type of every tree (default Release); JOBS the parallel jobs (default 2).
# VELMORA_ARCHS chooses the architectures run under Wine instead of what the
# host can run: VELMORA_ARCHS=x64 takes the 64-bit-only path of a host that
# cannot run 32-bit code (no 32-bit Wine process is started), on any host.

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= 2

ABS_BUILD := $(abspath $(BUILD_DIR))
WIN32_DIR := $(ABS_BUILD)/win32
WIN64_DIR := $(ABS_BUILD)/win64
NATIVE_DIR := $(ABS_BUILD)/native
ASAN_DIR := $(ABS_BUILD)/asan
FUZZ_DIR := $(ABS_BUILD)/fuzz
FUZZ_SECONDS ?= 60
IDLE_SECONDS ?= 60
VERSION := $(shell sed -n 's/^\#define VELMORA_VERSION "\(.*\)"/\1/p' src/version.h)

# The architectures this host runs under Wine ("x86 x64", "x64", or none),
# asked when a recipe needs them (after setup has installed Wine).
ARCHS_OF_HOST = scripts/archs.sh
# The one make run and make bench use: the product where it runs.
FIRST_ARCH = archs=$$($(ARCHS_OF_HOST)) || exit 1; arch=$${archs%% *}; \
  if [ -z "$$arch" ]; then echo "$@: $$($(ARCHS_OF_HOST) --why)" >&2; exit 1; fi

.PHONY: all setup build build-win32 build-win64 build-windows build-native test unit e2e run clean
.PHONY: asan fuzz tidy dist screenshots bench format

all: build

setup:
	@scripts/setup.sh

build: build-windows build-native

build-windows: build-win32 build-win64

build-win32:
	@cmake -S . -B $(WIN32_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build $(WIN32_DIR) -j $(JOBS)

build-win64:
	@cmake -S . -B $(WIN64_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build $(WIN64_DIR) -j $(JOBS)

# The end-to-end scenarios are registered for each architecture the host
# runs (or VELMORA_ARCHS names); where none runs, the build says why and stops.
build-native:
	@archs=$$($(ARCHS_OF_HOST)) || exit 1; \
	if [ -z "$$archs" ]; then echo "build: $$($(ARCHS_OF_HOST) --why)" >&2; exit 1; fi; \
	echo "build: end-to-end tests for $$archs: $$($(ARCHS_OF_HOST) --why)"; \
	cmake -S . -B $(NATIVE_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DVELMORA_WIN32_DIR=$(WIN32_DIR) -DVELMORA_WIN64_DIR=$(WIN64_DIR) \
	  "-DVELMORA_E2E_ARCHS=$$(echo $$archs | tr ' ' ';')" -DVELMORA_WINEPREFIX_ROOT=$(ABS_BUILD) \
	  -DVELMORA_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build $(NATIVE_DIR) -j $(JOBS)

# One ctest run over unit and end-to-end tests; the end-to-end tests of one
# architecture share its Wine prefix and a private X display, and take turns.
test: setup
	@$(MAKE) --no-print-directory build
	@cd $(NATIVE_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

unit: build-native
	@cd $(NATIVE_DIR) && ctest --output-on-failure -j $(JOBS) -LE 'e2e|asan|fuzz|lint'

e2e: build
	@cd $(NATIVE_DIR) && ctest --output-on-failure -j $(JOBS) -L e2e

# The whole unit suite under ASan (leak checking on) and fatal UBSan, built
# with g++ in its own folder.
asan:
	@ASAN_BUILD_DIR=$(ASAN_DIR) JOBS=$(JOBS) scripts/asan-tests.sh

# fuzz_listfile and fuzz_formdesc (clang), both at once for FUZZ_SECONDS;
# fails on any finding and prints executions per second.
fuzz:
	@FUZZ_BUILD_DIR=$(FUZZ_DIR) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/fuzz.sh

# clang-tidy over every file under src/, with the native tree's compile
# database and, for the Windows-only files, clang's MinGW target.
tidy: build-native
	@TIDY_NATIVE_DB=$(NATIVE_DIR) TIDY_BUILD_DIR=$(ABS_BUILD)/tidy JOBS=$(JOBS) scripts/tidy.sh

run: setup
	@$(MAKE) --no-print-directory build-windows
	@$(FIRST_ARCH); scripts/run.sh $(ABS_BUILD) $$arch

dist: setup
	@$(MAKE) --no-print-directory build-windows
	@scripts/dist.sh $(WIN32_DIR) dist/velmora-$(VERSION)-win32.zip
	@scripts/dist.sh $(WIN64_DIR) dist/velmora-$(VERSION)-win64.zip
	@cd dist && sha256sum velmora-$(VERSION)-win32.zip velmora-$(VERSION)-win64.zip >SHA256SUMS
	@echo "dist: $(CURDIR)/dist/SHA256SUMS"

# Pictures for the README, of the real program under Wine on a private Xvfb.
screenshots: setup
	@$(MAKE) --no-print-directory build-windows
	@$(FIRST_ARCH); tree=$$(. scripts/wine-arch.sh; velmora_build_dir $$arch); \
	VELMORA_ARCH=$$arch scripts/screenshots.py $(ABS_BUILD)/$$tree $(ABS_BUILD)/wineprefix-screenshots-$$arch docs/images

# Size, native benchmarks, heap and the Wine timings, each against a baseline
# of the same run and the same architecture; the report goes to
# $(BUILD_DIR)/bench/results.md.
bench: setup
	@$(MAKE) --no-print-directory build
	@$(FIRST_ARCH); python3 bench/run_bench.py --build $(ABS_BUILD) --arch $$arch --idle-seconds $(IDLE_SECONDS)

# The C++ of src/ and tests/ laid out as .clang-format says; the
# format_check test of make test fails until it is.
format:
	@scripts/format.sh

clean:
	rm -rf $(BUILD_DIR)
