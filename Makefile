# Two commands do all the set-up: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps build run test test-sanitize coverage fuzz bench clean

all: build

deps:
	@bash scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# On a desktop: the viewer on the example terrain. Without a reachable display:
# the same under a private Xvfb server, saved as a PNG whose path is printed.
run: build
	@if [ -n "$$DISPLAY" ] && timeout 5 xdpyinfo >/dev/null 2>&1; then \
	  cd examples && $(abspath $(BUILD_DIR))/src/app/pelorin; \
	else \
	  echo "run: no display reachable; taking a snapshot on a private X server"; \
	  PELORIN=$(abspath $(BUILD_DIR))/src/app/pelorin bash scripts/snapshot examples $(abspath $(BUILD_DIR))/pelorin-example.png; \
	fi

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
# the first finding fails the run. No leak is suppressed: the GL tests check for
# leaks while the driver is still loaded, so what it keeps is still reachable.
test-sanitize: deps
	@cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPELORIN_SANITIZE=ON > /dev/null
	@cmake --build build-sanitize -j $(JOBS)
	@ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1 \
	 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	 ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

# Line and branch coverage of the configuration and data libraries.
coverage:
	@bash scripts/coverage

# Every fuzz target for FUZZ_SECONDS seconds each (default 60); fails on any finding.
FUZZ_SECONDS ?= 60
fuzz:
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash fuzz/run

# Loading benchmarks against the floors and the peers; QUICK=1 (or
# BENCH_QUICK=1) runs the smallest sizes only.
bench:
	@BENCH_QUICK=$(or $(QUICK),$(BENCH_QUICK),0) bash bench/run

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-coverage build-fuzz build-bench
