# Two commands set up everything on a fresh Debian 12 machine: make run, make test.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
# CI builds treat warnings as errors.
WERROR     := $(if $(CI),ON,OFF)

PACKAGES := g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev \
            qt6-base-dev qt6-multimedia-dev mtools dosfstools imagemagick webp xxd

# make bench: its own optimised build, cached images and the benchmark.
BENCH_DIR      ?= build-bench
BENCH_PACKAGES := imagemagick

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@./scripts/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DSALVEX_WERROR=$(WERROR) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR)

# Recovers the sample card the build makes (photos deleted, then the card
# quick-formatted) into a fresh folder. Later the window opens here when a
# display is there.
SAMPLE_RESULTS ?= $(BUILD_DIR)/recovered-sample
run: build
	@rm -rf $(SAMPLE_RESULTS)
	@./$(BUILD_DIR)/bin/salvex-scan --source $(BUILD_DIR)/sample/sample-card.img --dest $(SAMPLE_RESULTS)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

# Not part of test: prints figures and PASS/MISS, never fails on a missed goal.
# No -Werror here: GCC 12 at -O3 gives a false -Wrestrict on "\n" + std::string.
bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(BENCH_PACKAGES)"
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSALVEX_BENCH=ON \
	  -DSALVEX_BUILD_TESTS=OFF -DSALVEX_WERROR=OFF > /dev/null
	@cmake --build $(BENCH_DIR)
	@./bench/make-photo-image.sh $(BENCH_DIR)/bench-data/photos.img
	@./$(BENCH_DIR)/bin/salvex_bench --data $(BENCH_DIR)/bench-data --out $(BENCH_DIR)/bench-out

clean:
	rm -rf $(BUILD_DIR)
