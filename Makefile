# Two commands do all the set-up: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps build programs run demo test test-sanitize test-sanitize-clang coverage fuzz bench clean

all: build

deps:
	@bash scripts/install-deps

PROGRAMS = pelorin pelorin-render pelorin-check pelorin-import

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The four programs alone, without the tests: what running them needs.
programs: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target $(PROGRAMS)

# Shows the terrain of folder $(1): on a desktop in the viewer; without a
# reachable display, drawn by pelorin-render into the PNG $(2), whose path
# is printed. $(3) names the target in the message.
define show_terrain
@if [ -n "$$DISPLAY" ] && timeout 5 xdpyinfo >/dev/null 2>&1; then \
  cd $(1) && $(abspath $(BUILD_DIR))/src/app/pelorin; \
else \
  echo "$(3): no display reachable; drawing the picture with pelorin-render"; \
  cd $(1) && $(abspath $(BUILD_DIR))/src/app/pelorin-render -o $(2); \
fi
endef

# The viewer on the example terrain.
run: programs
	$(call show_terrain,examples,$(abspath $(BUILD_DIR))/pelorin-example.png,run)

# A real elevation model, Luxembourg, from the example data of Debian's
# r-cran-terra package (fetched into $(BUILD_DIR)/demo, never committed),
# imported into $(BUILD_DIR)/demo/elev and shown as `make run` shows the example.
DEMO_DIR = $(abspath $(BUILD_DIR))/demo
SUDO = $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
demo: programs
	@mkdir -p $(DEMO_DIR)
	@if [ ! -f $(DEMO_DIR)/elev.tif ]; then \
	  cd $(DEMO_DIR) && rm -rf r-cran-terra_*.deb package && \
	  { apt-get download -qq r-cran-terra 2>/dev/null || \
	    { $(SUDO) apt-get update -qq && apt-get download -qq r-cran-terra; }; } && \
	  dpkg-deb -x r-cran-terra_*.deb package && \
	  cp "$$(find package -path '*/terra/ex/elev.tif' | head -n 1)" elev.tif && \
	  rm -rf r-cran-terra_*.deb package; \
	fi
	@$(abspath $(BUILD_DIR))/src/app/pelorin-import --force $(DEMO_DIR)/elev.tif $(DEMO_DIR)/elev
	$(call show_terrain,$(DEMO_DIR)/elev,$(abspath $(BUILD_DIR))/pelorin-demo.png,demo)

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

# The test suite built with Clang and its AddressSanitizer and
# UndefinedBehaviorSanitizer, with the check of floating-point values cast to
# integers they do not fit, which GCC's build above lacks; the first finding
# fails the run.
test-sanitize-clang: deps
	@bash scripts/install-deps clang libclang-rt-14-dev
	@CC=clang CXX=clang++ cmake -S . -B build-sanitize-clang -DCMAKE_BUILD_TYPE=Debug -DPELORIN_SANITIZE=ON > /dev/null
	@cmake --build build-sanitize-clang -j $(JOBS)
	@ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1 \
	 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	 ctest --test-dir build-sanitize-clang --output-on-failure -j $(JOBS)

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

# A soak run of the viewer: SOAK_SECONDS (default 600) of random mouse, key
# and resize input on a 344x344 relief terrain on a private Xvfb; fails when
# it crashes, writes an error line, grows in memory or slows down over time.
SOAK_SECONDS ?= 600
.PHONY: soak
soak: build
	@bash scripts/install-deps python3
	@/usr/bin/python3 bench/soak.py --build $(BUILD_DIR) --seconds $(SOAK_SECONDS)

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-sanitize-clang build-coverage build-fuzz build-bench
