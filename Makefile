# A thin front over CMake: each target configures a preset from
# CMakePresets.json when needed, then builds, runs or tests it. `make help`
# lists the targets; a line `## text` just above a target is its entry.

CMAKE ?= cmake
CTEST ?= ctest
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
BENCH_SCALE ?= 1
BENCH_RUNS  ?= 7
CROSS_SESSIONS ?= 400

# How long the long targets take is measured in CONTRIBUTING.md; `make
# help` only calls them slow.
#
# The build's own output goes to a log under build/ and is shown only when
# the build fails, so a build with nothing to do prints nothing. The front
# says in a line when it configures, and `make run` what to type; under
# `make -s` it says nothing, so that `make -s run` writes nothing but the
# program's output. A target that tests a preset of its own follows
# `sanitize`: $(call build,PRESET,tests), then ctest.
ifeq ($(findstring s,$(firstword -$(MAKEFLAGS))),)
  SAY = echo
else
  SAY = :
endif
MAKEFLAGS += --no-print-directory

# $(call configure,PRESET[,tests]): configures PRESET when needed. Its folder
# holds the stamp `configured` only after a configure that completed;
# without it, the cache and CMakeFiles/ that a failed configure may have
# left are removed and the folder is configured afresh. With the stamp, it
# is configured again in place when CMakePresets.json is newer than the
# stamp, or, given `tests`, while its tests are skipped, so that a
# GoogleTest installed since is found; given `tests`, it stops with the
# note `tests-skipped` when GoogleTest is still missing.
define configure
	@command -v $(CMAKE) >/dev/null || { \
	  echo "cmake was not found: install it first (Debian: sudo apt-get install cmake)" >&2; exit 1; }
	@dir=build/$(1); log=build/$(1)-configure.log; say=$(SAY); \
	if test ! -f $$dir/configured; then \
	  rm -rf $$dir/CMakeCache.txt $$dir/CMakeFiles; \
	elif test CMakePresets.json -nt $$dir/configured; then \
	  rm -f $$dir/configured; \
	elif test -n "$(2)" && test -f $$dir/tests-skipped; then \
	  rm -f $$dir/configured; say=:; \
	else \
	  exit 0; \
	fi; \
	$$say "Configuring and building $$dir (logs: $$log, build/$(1).log)"; \
	mkdir -p build; \
	$(CMAKE) --preset $(1) >$$log 2>&1 || { cat $$log >&2; exit 1; }; \
	touch $$dir/configured; \
	if test -z "$(2)" && test -f $$dir/tests-skipped; then $(SAY) "$$(cat $$dir/tests-skipped)"; fi
	$(if $(2),@! test -f build/$(1)/tests-skipped || { cat build/$(1)/tests-skipped >&2; exit 1; })
endef

# $(call build,PRESET[,tests[,TARGETS]]): configures PRESET when needed,
# then builds TARGETS of it, or all of it.
define build
	$(call configure,$(1),$(2))
	@$(CMAKE) --build --preset $(1) --parallel $(JOBS) $(if $(3),--target $(3)) \
	  >build/$(1).log 2>&1 || { cat build/$(1).log >&2; exit 1; }
endef

# $(call need,COMMAND,DEBIAN_PACKAGES): stop with a message when COMMAND is missing.
define need
	@command -v $(1) >/dev/null || { \
	  echo "$(1) was not found: install it first (Debian: sudo apt-get install $(2))" >&2; exit 1; }
endef

.PHONY: all help build run run-prompt test build-gcc build-clang sanitize coverage fault-check fuzz \
        stress format format-check lint deps bench bench-tricks install uninstall package package-check \
        cross-check clean

all: build

## List the targets, one line each.
help:
	@echo "make TARGET, where TARGET is one of:"
	@awk '/^## / { doc = substr($$0, 4); next } \
	     /^[a-z-]+:/ && doc != "" { sub(/:.*/, ""); printf "  %-15s %s\n", $$0, doc } \
	     { doc = "" }' $(firstword $(MAKEFILE_LIST))

## Build both programs and their manual pages (build/default), the default target.
build:
	$(call build,default,,scrivet scrivet-prompt)

## Build if needed, then start scrivet on this terminal.
run: build
	@$(SAY) "scrivet reads commands now, one a line, without a prompt;" \
	  "quit ends it, and so does any line it does not recognise." >&2
	@build/default/scrivet/scrivet

## Build if needed, then start scrivet-prompt on this terminal.
run-prompt: build
	@build/default/scrivet-prompt/scrivet-prompt

## Build and run the whole test suite (needs GoogleTest).
test:
	$(call build,default,tests)
	@$(CTEST) --preset default --parallel $(JOBS)

## Build with g++, warnings as errors (build/gcc).
build-gcc:
	$(call build,gcc)

## Build with clang++, warnings as errors (build/clang).
build-clang:
	$(call need,clang++,clang)
	$(call build,clang)

# Any sanitizer report fails a test.
## Run the suite under AddressSanitizer, UBSan and LeakSanitizer.
sanitize:
	$(call need,clang++,clang libclang-rt-dev)
	$(call build,sanitize,tests)
	@$(CTEST) --preset sanitize --parallel $(JOBS)

# The whole suite, shell tests included, on an instrumented -O0 build;
# gcovr reports the program code's lines and branches on the terminal and
# in build/coverage/coverage.html, and fails under the gate's figures.
COVERAGE_GATE = --fail-under-line 100 --fail-under-branch 95
## Run the suite on a g++ --coverage build: 100% of lines, 95% of branches.
coverage:
	$(call need,gcovr,gcovr)
	$(call build,coverage,tests)
	@find build/coverage -name '*.gcda' -delete
	@$(CTEST) --preset coverage --parallel $(JOBS) >build/coverage-tests.log 2>&1 || { \
	  cat build/coverage-tests.log >&2; exit 1; }
	@gcovr --root . --object-directory build/coverage --exclude-directories build/coverage/CMakeFiles \
	  --filter scrivet/ --filter scrivet-prompt/ \
	  --exclude-throw-branches --exclude-unreachable-branches \
	  --txt - --html-details build/coverage/coverage.html --print-summary $(COVERAGE_GATE)

## Plant each fault of tests/faults/ in turn; the suite must catch each (slow).
fault-check:
	@tools/fault-check.sh

## Run each libFuzzer target FUZZ_SECONDS seconds against the models.
fuzz:
	$(call need,clang++,clang libclang-rt-dev)
	$(call build,fuzz)
	@fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

## Feed a line of over 2 GiB and ten million lines to a release build.
stress:
	$(call build,release)
	@tests/stress.sh build/release/scrivet/scrivet

## Rewrite the C++ sources with clang-format.
format:
	@tools/format.sh

## Fail on any C++ source that clang-format would change.
format-check:
	@tools/format.sh --check

# shellcheck first, over every shell script; then clang-tidy, which reads
# the tests' compile flags from build/default.
## Run shellcheck over every shell script, and clang-tidy over every C++ source (slow).
lint:
	@tools/shellcheck.sh
	$(call build,default,tests)
	@tools/lint.sh build/default

## Install the Debian packages that every target here needs.
deps:
	@tools/install-deps.sh

# make install keeps its own list of the files it installed, DESTDIR
# included (CMake's manifest leaves DESTDIR out, and make package rewrites
# it), for make uninstall.
## Install the release build under PREFIX (default /usr/local).
install:
	$(call build,release)
	@$(CMAKE) --install build/release $(if $(PREFIX),--prefix "$(PREFIX)")
	@sed 's|^|$(DESTDIR)|' build/release/install_manifest.txt >build/release/installed-files

## Remove the files that the last make install installed.
uninstall:
	@list=build/release/installed-files; \
	test -f $$list || { echo "$$list is missing: nothing was installed from this clone" >&2; exit 1; }; \
	while IFS= read -r file || test -n "$$file"; do \
	  if test -e "$$file" || test -L "$$file"; then rm -f "$$file" && echo "removed $$file" || exit 1; fi; \
	  case $$file in */share/doc/scrivet/*) rmdir "$${file%/*}" 2>/dev/null || true;; esac; \
	done <$$list; \
	rm -f $$list

# The packages are the same bytes from every build of a commit (see
# packaging/packaging.cmake); cpack runs under umask 022 because the modes
# of the files and folders it stages go into them. The time they record is
# read first, so that a clone git cannot read stops before any build. A
# package that fails leaves none behind.
## Make a .deb and a .tar.gz in build/release/packages/.
package:
	@packaging/source-date.sh >/dev/null
	$(call build,release)
	@rm -rf build/release/packages
	@umask 022 && $(CMAKE) --build build/release --target package >build/release-package.log 2>&1 || { \
	  rm -rf build/release/packages; cat build/release-package.log >&2; exit 1; }
	@$(SAY) "Packages:" build/release/packages/*.deb build/release/packages/*.tar.gz

## Make and check the packages, lintian too; a second build elsewhere must match byte for byte.
package-check:
	$(call need,lintian,lintian)
	$(call need,dpkg-deb,dpkg)
	@packaging/check-source-date.sh
	@$(MAKE) package
	@packaging/check-package.sh build/release/packages
	@packaging/compare-rebuild.sh build/release/packages

# Both programs and the key search's checks, built statically with
# Debian's cross compilers, each run under qemu by name: an i686 program
# would otherwise run as it is on an x86-64 host. s390x (big-endian) and
# i686 (32-bit) take the key search's portable path, aarch64 its NEON one. The generated sessions, CROSS_SESSIONS of each program, are
# written by the host's build from the models, with their expected output.
## Build both programs and the key search's checks for s390x, i686 and aarch64; run them under qemu.
cross-check:
	$(call need,s390x-linux-gnu-g++,g++-s390x-linux-gnu)
	$(call need,i686-linux-gnu-g++,g++-i686-linux-gnu)
	$(call need,aarch64-linux-gnu-g++,g++-aarch64-linux-gnu)
	$(call need,qemu-s390x,qemu-user)
	$(call need,qemu-i386,qemu-user)
	$(call need,qemu-aarch64,qemu-user)
	$(call build,default,,scrivet_session_writer)
	$(call build,cross-s390x)
	$(call build,cross-i686)
	$(call build,cross-aarch64)
	@build/default/tests/scrivet_session_writer $(CROSS_SESSIONS) build/cross-sessions
	@tests/replay_sessions.sh qemu-s390x build/cross-s390x tests/sessions build/cross-sessions
	@tests/replay_sessions.sh qemu-i386 build/cross-i686 tests/sessions build/cross-sessions
	@tests/replay_sessions.sh qemu-aarch64 build/cross-aarch64 tests/sessions build/cross-sessions

# BENCH_SCALE multiplies the sizes of the whole programs' workloads, and
# below 1 takes that share of the search bench's real text; BENCH_RUNS
# sets the runs of the whole programs' races (at least 7 to decide a trick).
## Run the benchmarks; each target of docs/performance.md says met or NOT MET (slow).
bench:
	$(call build,bench)
	@bash -c '. bench/lib.sh && machine build/bench'
	@build/bench/bench/scrivet_list_bench
	@BENCH_SCALE=$(BENCH_SCALE) build/bench/bench/scrivet_search_bench
	@BENCH_SCALE=$(BENCH_SCALE) BENCH_RUNS=$(BENCH_RUNS) bench/programs.sh build/bench

## Race the tree against a build without each speed trick, or just TRICKS="..." (slow).
bench-tricks:
	$(call build,bench)
	@BENCH_SCALE=$(BENCH_SCALE) BENCH_RUNS=$(BENCH_RUNS) tools/bench-tricks.sh build/bench $(TRICKS)

## Remove every build folder.
clean:
	rm -rf build
