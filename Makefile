# A thin front over CMake: each target configures a preset from
# CMakePresets.json when its build folder is new, then builds or tests it.

CMAKE ?= cmake
CTEST ?= ctest
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
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

# $(call need,COMMAND,DEBIAN_PACKAGES): stop with a message when COMMAND is missing.
define need
	@command -v $(1) >/dev/null || { \
	  echo "$(1) was not found: install it first (Debian: sudo apt-get install $(2))" >&2; exit 1; }
endef

.PHONY: all build run run-prompt test build-gcc build-clang sanitize fuzz stress \
        format-check lint deps bench install package package-check clean

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
	$(call need,clang++,clang)
	$(call build,clang)

# The whole suite under AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer; any report fails a test.
sanitize:
	$(call need,clang++,clang libclang-rt-dev)
	$(call build,sanitize)
	@$(CTEST) --preset sanitize --parallel $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS seconds, checked against the models.
fuzz:
	$(call need,clang++,clang libclang-rt-dev)
	$(call build,fuzz)
	@fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

# A line of over 2 GiB and ten million lines through a release build.
stress:
	$(call build,release)
	@tests/stress.sh build/release/scrivet/scrivet

format-check:
	@tools/format-check.sh

lint: build
	@tools/lint.sh build/default

# Installs the Debian packages that every target here needs.
deps:
	@tools/install-deps.sh

# Installing and packaging use the release build. PREFIX defaults to
# CMake's install prefix (/usr/local).
install:
	$(call build,release)
	@$(CMAKE) --install build/release $(if $(PREFIX),--prefix "$(PREFIX)")

# The .deb and .tar.gz land in build/release/packages/.
package:
	$(call build,release)
	@rm -rf build/release/packages
	@$(CMAKE) --build build/release --target package

package-check: package
	@packaging/check-package.sh build/release/packages

# The microbenchmarks (BENCH_ARGS: Google Benchmark flags), then scrivet
# against ed on generated sessions (BENCH_SCALE multiplies their sizes).
bench:
	$(call build,bench)
	@build/bench/bench/scrivet_microbench $(BENCH_ARGS)
	@build/bench/bench/scrivet_search_bench
	@BENCH_SCALE=$(BENCH_SCALE) bench/run.sh build/bench/scrivet/scrivet

clean:
	rm -rf build
