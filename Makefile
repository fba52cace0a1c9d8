# A thin front over CMake: each target configures a preset from
# CMakePresets.json when its build folder is new, then builds or tests it.

CMAKE ?= cmake
CTEST ?= ctest
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
BENCH_SCALE ?= 1
BENCH_ARGS  ?=

# Under `make -s` the build's own chatter goes to a log that is shown only
# when the build fails, so `make -s run` writes nothing but the program's
# output.
ifneq ($(findstring s,$(firstword -$(MAKEFLAGS))),)
  LOG = > build/$(1).log 2>&1 || { cat build/$(1).log >&2; exit 1; }
endif

# $(call build,PRESET): configure PRESET if needed, then build it.
define build
	@command -v $(CMAKE) >/dev/null || { \
	  echo "cmake was not found: install it first (Debian: sudo apt-get install cmake)" >&2; exit 1; }
	@mkdir -p build
	@test -f build/$(1)/CMakeCache.txt || $(CMAKE) --preset $(1) $(call LOG,$(1)-configure)
	@$(CMAKE) --build --preset $(1) --parallel $(JOBS) $(call LOG,$(1))
endef

.PHONY: all build run run-prompt test build-gcc build-clang bench clean

all: build

build:
	$(call build,default)

run: build
	@build/default/scrivet/scrivet

run-prompt: build
	@build/default/scrivet-prompt/scrivet-prompt

test: build
	@$(CTEST) --preset default --parallel $(JOBS)

build-gcc:
	$(call build,gcc)

build-clang:
	$(call build,clang)

# The microbenchmarks (BENCH_ARGS: Google Benchmark flags), then scrivet
# against ed on generated sessions (BENCH_SCALE multiplies their sizes).
bench:
	$(call build,release)
	@test -x build/release/bench/scrivet_microbench || { \
	  echo "build/release was configured without the benchmarks: run 'cmake --preset release', then make bench" >&2; exit 1; }
	@build/release/bench/scrivet_microbench $(BENCH_ARGS)
	@BENCH_SCALE=$(BENCH_SCALE) bench/run.sh build/release/scrivet/scrivet

clean:
	rm -rf build
