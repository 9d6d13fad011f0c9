# Two commands set up everything on a fresh Debian 12 machine: make run, make test.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
# CI builds treat warnings as errors.
WERROR     := $(if $(CI),ON,OFF)

PACKAGES := g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev \
            qt6-base-dev qt6-multimedia-dev mtools dosfstools

.PHONY: all deps configure build run test clean

all: build

deps:
	@./scripts/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DSALVEX_WERROR=$(WERROR) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR)

# For now: what the default edition offers and which signatures it looks for.
run: build
	@./$(BUILD_DIR)/bin/salvex-scan --edition Birch --list-signatures

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

clean:
	rm -rf $(BUILD_DIR)
