# givqr: the two commands a user needs are `make demo` and `make test`.
BUILD ?= build
JOBS ?= 2
FUZZ_SECONDS ?= 20
SPLINE_NS ?= 150 1e4 1e5
OCTAVE = OCTAVE_HISTFILE=/dev/null octave-cli --norc --quiet --no-window-system
CTEST = OCTAVE_HISTFILE=/dev/null ctest --output-on-failure --no-tests=error -j $(JOBS)

# Debian packages, by what needs them
DEPS_BUILD = make cmake g++ octave octave-dev
DEPS_DEMO = $(DEPS_BUILD) gnuplot-nox fonts-freefont-otf
DEPS_TEST = $(DEPS_BUILD) libgtest-dev googletest binutils libmpfr-dev python3 octave-parallel iproute2
DEPS_PLATFORMS = cmake make g++ googletest qemu-user binutils clang g++-i686-linux-gnu \
  g++-sparc64-linux-gnu g++-multilib-sparc64-linux-gnu g++-aarch64-linux-gnu \
  g++-mingw-w64-x86-64-posix wine64
DEPS_MATLAB = cmake make g++ libgtest-dev binutils
DEPS_FUZZ = clang libclang-rt-dev
DEPS_COVERAGE = gcovr
DEPS_BENCH = libbenchmark-dev gnuplot-nox fonts-freefont-otf time python3-statsmodels

.PHONY: accuracy accuracy-spline bench all build test test-main test-sanitize test-dist test-fresh demo dist fuzz coverage clean \
  test-platforms platform test-matlab
VERSION := $(shell sed -n 's/^Version: //p' DESCRIPTION)
DIST = givqr-$(VERSION)

all: build

build:
	@sh tools/deps.sh $(DEPS_BUILD)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DGIVQR_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Every test: the commands in Octave (oct-files and MEX files) and the C++
# tests; the C++ tests and the Octave tests of the oct-files again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and givsmooth's threads
# under ThreadSanitizer; and the Octave package, installed and used.
test:
	@sh tools/deps.sh $(DEPS_TEST)
	$(MAKE) test-main test-sanitize test-dist

test-main:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DGIVQR_TESTS=ON -DGIVQR_MEX_SUFFIX=.mexa64
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && $(CTEST)

test-sanitize:
	cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIVQR_TESTS=ON -DGIVQR_SANITIZE=ON
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && $(CTEST)
	cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIVQR_TESTS=ON -DGIVQR_TSAN=ON -DGIVQR_OCTAVE=OFF \
	  -DGIVQR_REFERENCE=OFF -DGIVQR_MATLAB=OFF
	cmake --build $(BUILD)-tsan -j $(JOBS) --target givqr_tests
	cd $(BUILD)-tsan && $(CTEST) -R 'smooth'

# The C++ tests, the golden results and the stand-in host's load of each
# target's MEX files, built by each toolchain in cmake/toolchains at the
# compiler's own defaults (GNU dialect, none of our floating-point flags, so
# the sources alone must keep the bits) and run under qemu or wine64; then
# the MATLAB build against a stand-in MATLAB tree.
PLATFORMS = i686-linux-gnu sparc32-linux-gnu sparc64-linux-gnu aarch64-linux-gnu-gcc \
  aarch64-linux-gnu-clang x86_64-w64-mingw32 x86_64-fma
test-platforms:
	@sh tools/deps.sh $(DEPS_PLATFORMS)
	sh tools/paths.sh
	for p in $(PLATFORMS); do $(MAKE) platform P=$$p || exit 1; done
	$(MAKE) test-matlab

# What differs between Debian releases is found on the machine at hand
# (tools/paths.sh; `make -n platform P=...` shows what was found).
platform:
	cmake -S . -B $(BUILD)-$(P) --toolchain cmake/toolchains/$(P).cmake -DCMAKE_BUILD_TYPE=Release -DGIVQR_TESTS=ON \
	  -DGIVQR_OCTAVE=OFF -DGIVQR_MATLAB=OFF -DGIVQR_FP_FLAGS=OFF -DCMAKE_CXX_EXTENSIONS=ON \
	  -DGIVQR_GTEST_SOURCE=$(shell sh tools/paths.sh -v gtest_src)
	cmake --build $(BUILD)-$(P) -j $(JOBS)
	cd $(BUILD)-$(P) && WINEPREFIX=$(abspath $(BUILD))-$(P)/wine WINEDEBUG=-all \
	  WINEPATH="$(shell sh tools/paths.sh -v mingw_dlls);/usr/x86_64-w64-mingw32/lib" $(CTEST)

test-matlab:
	@sh tools/deps.sh $(DEPS_MATLAB)
	sh tests/matlab/tree.sh $(abspath $(BUILD))-matlab/MATLAB
	cmake -S . -B $(BUILD)-matlab -DCMAKE_BUILD_TYPE=Release -DGIVQR_TESTS=ON -DGIVQR_OCTAVE=OFF \
	  -DMatlab_ROOT_DIR=$(abspath $(BUILD))-matlab/MATLAB -DGIVQR_MATLAB_STANDIN=ON
	cmake --build $(BUILD)-matlab -j $(JOBS)
	cd $(BUILD)-matlab && $(CTEST) -R mexhost_matlab

# The Octave package: pkg install givqr-<version>.tar.gz; pkg load givqr.
# Its src/ holds the sources of sources.mk's oct-files, the headers of their
# folders and of HEADERS', and sources.mk itself, which its Makefile reads.
include sources.mk
PKG_SOURCES = $(sort $(foreach c,$(COMMANDS),$($(c)_KERNELS) $($(c)_OCT)))
PKG_DIRS = $(sort $(HEADERS) $(patsubst %/,%,$(dir $(PKG_SOURCES))))
dist:
	rm -rf $(BUILD)/dist && mkdir -p $(BUILD)/dist/$(DIST)/src $(BUILD)/dist/$(DIST)/inst/private
	cp DESCRIPTION COPYING NEWS INDEX $(BUILD)/dist/$(DIST)/
	for f in $(INST); do cp inst/$$f $(BUILD)/dist/$(DIST)/inst/$$f; done
	cp tools/pkg-src.mk $(BUILD)/dist/$(DIST)/src/Makefile
	cp sources.mk tools/help2h.sh $(BUILD)/dist/$(DIST)/src/
	for d in $(PKG_DIRS); do mkdir -p $(BUILD)/dist/$(DIST)/src/$$d; \
	  cp $$d/*.h $(BUILD)/dist/$(DIST)/src/$$d/; done
	cp core/messages.def $(BUILD)/dist/$(DIST)/src/core/
	cp octave/octexports.map $(BUILD)/dist/$(DIST)/src/octave/
	for f in $(PKG_SOURCES); do cp $$f $(BUILD)/dist/$(DIST)/src/$$f; done
	tar -C $(BUILD)/dist -czf $(DIST).tar.gz $(DIST)
	@echo "wrote $(DIST).tar.gz"

# Install the package into a scratch prefix, load it, run its tests and the commands.
test-dist: dist
	rm -rf $(BUILD)/pkg && mkdir -p $(BUILD)/pkg
	cd $(BUILD)/pkg && $(OCTAVE) --eval "tarball = '$(abspath $(DIST).tar.gz)'; \
	  prefix = '$(abspath $(BUILD))/pkg'; inst = '$(abspath inst)'; source ('$(abspath tools/test_dist.m)')"

# What a new user runs (make demo, make dist with pkg install, givqr_build)
# with the files of every package the tests, benchmarks and cross builds
# need hidden, as on a fresh machine: fails where those paths look for any.
test-fresh:
	sh tools/fresh.sh "$(DEPS_DEMO)" "$(sort $(DEPS_TEST) $(DEPS_BENCH) $(DEPS_PLATFORMS) $(DEPS_MATLAB) \
	  $(DEPS_FUZZ) $(DEPS_COVERAGE))"

demo:
	@sh tools/deps.sh $(DEPS_DEMO)
	$(MAKE) build
	$(OCTAVE) --eval "addpath('$(abspath $(BUILD))/octave'); png = '$(abspath $(BUILD))/smoothing.png'; run('examples/givqr_demo.m')"

# Each gateway under libFuzzer for FUZZ_SECONDS, from the seeds in tests/fuzz/corpus.
fuzz:
	@sh tools/deps.sh $(DEPS_BUILD) $(DEPS_FUZZ)
	CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIVQR_OCTAVE=OFF -DGIVQR_FUZZ=ON
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	for c in givfact givfwd givinv givsmooth givspline; do \
	  rm -rf $(BUILD)-fuzz/corpus/$$c && mkdir -p $(BUILD)-fuzz/corpus/$$c $(BUILD)-fuzz/crashes && \
	  $(BUILD)-fuzz/tests/fuzz_$$c -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(BUILD)-fuzz/crashes/ $(BUILD)-fuzz/corpus/$$c tests/fuzz/corpus/$$c \
	    > $(BUILD)-fuzz/fuzz_$$c.log 2>&1; rc=$$?; \
	  echo "fuzz_$$c: $$(grep -E 'stat::number_of_executed_units' $(BUILD)-fuzz/fuzz_$$c.log)"; \
	  if [ $$rc -ne 0 ]; then tail -n 40 $(BUILD)-fuzz/fuzz_$$c.log; echo "fuzz_$$c failed"; exit 1; fi; \
	done

# Line coverage of the core, the kernels and the gateways by the C++ tests.
coverage:
	@sh tools/deps.sh $(DEPS_TEST) $(DEPS_COVERAGE)
	cmake -S . -B $(BUILD)-coverage -DCMAKE_BUILD_TYPE=Debug -DGIVQR_TESTS=ON -DGIVQR_OCTAVE=OFF -DGIVQR_COVERAGE=ON
	cmake --build $(BUILD)-coverage -j $(JOBS)
	find $(BUILD)-coverage -name '*.gcda' -delete
	cd $(BUILD)-coverage && $(CTEST)
	gcovr -r . $(BUILD)-coverage --filter core/ --filter sweep/ --filter givfact/ --filter apply/ --filter smooth/ --filter mex/

# Kernels with Google Benchmark, where the rows repeat, the commands end to
# end in Octave against qr, chol, backslash and statsmodels' hpfilter, peak
# memory, and givfact (10^8): writes docs/benchmarks.md and docs/bench.png.
# Takes some minutes.
bench:
	@sh tools/deps.sh $(DEPS_BUILD) $(DEPS_BENCH)
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DGIVQR_BENCH=ON -DGIVQR_TESTS=ON -DGIVQR_OCTAVE=ON
	cmake --build $(BUILD)-bench -j $(JOBS)
	$(BUILD)-bench/bench_kernels --benchmark_min_time=0.5 > $(BUILD)-bench/kernels.txt
	cat $(BUILD)-bench/kernels.txt
	for k in 4 2 1; do GIVQR_LANES=$$k $(BUILD)-bench/bench_kernels --benchmark_filter='BM_panel/' \
	  --benchmark_min_time=0.5 > $(BUILD)-bench/lanes$$k.txt; done
	cat $(BUILD)-bench/lanes*.txt
	$(BUILD)-bench/transients > $(BUILD)-bench/transients.md
	cat $(BUILD)-bench/transients.md
	$(OCTAVE) --eval "addpath('$(abspath $(BUILD))-bench/octave'); addpath('$(abspath tests/octave)'); \
	  md = '$(abspath $(BUILD))-bench/octave.md'; plain = '$(abspath $(BUILD))-bench/plain'; \
	  png = '$(abspath docs/bench.png)'; source('bench/bench_octave.m')"
	sh bench/tunables.sh $(abspath $(BUILD))-bench/octave > $(BUILD)-bench/tunables.md
	sh bench/memory.sh $(abspath $(BUILD))-bench/octave > $(BUILD)-bench/memory.md
	cat $(BUILD)-bench/tunables.md $(BUILD)-bench/memory.md
	sh bench/report.sh $(BUILD)-bench > docs/benchmarks.md
	@echo "wrote docs/benchmarks.md and docs/bench.png"

# Forward errors against the MPFR reference, for the commands and Octave's own
# solvers, and the backward errors of the factorization: writes
# docs/accuracy.md and docs/accuracy.png.
accuracy:
	@sh tools/deps.sh $(DEPS_TEST) gnuplot-nox fonts-freefont-otf
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DGIVQR_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	$(OCTAVE) --eval "addpath('$(abspath $(BUILD))/octave'); addpath('$(abspath $(BUILD))/reference'); \
	  addpath('$(abspath tests/octave)'); \
	  md = '$(abspath docs/accuracy.md)'; png = '$(abspath docs/accuracy.png)'; source('bench/accuracy.m')"

# The smoothing spline's f at the knots against the MPFR reference, beside
# Octave's csaps, scipy's make_smoothing_spline and R's smooth.spline at the
# same lambda (bench/spline_peers.m says how each maps): prints the table in
# docs/accuracy.md's section on it.  ns = [150 1e4 1e5] there.
accuracy-spline:
	@sh tools/deps.sh $(DEPS_TEST) octave-splines python3-scipy r-base-core
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DGIVQR_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	$(OCTAVE) --eval "addpath('$(abspath $(BUILD))/octave'); addpath('$(abspath $(BUILD))/reference'); \
	  ns = [$(SPLINE_NS)]; source('bench/spline_peers.m')"

clean:
	rm -rf $(BUILD) $(BUILD)-fresh $(BUILD)-sanitize $(BUILD)-tsan $(BUILD)-fuzz $(BUILD)-coverage $(BUILD)-bench $(BUILD)-matlab \
	  $(foreach p,$(PLATFORMS),$(BUILD)-$(p))
