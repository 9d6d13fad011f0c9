# Two commands set up everything on a fresh Debian 12 machine: make run, make test.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
# The tests run in a build of their own, under AddressSanitizer and
# UndefinedBehaviorSanitizer; the thread parts also under ThreadSanitizer (make tsan).
TEST_DIR   ?= build-test
TSAN_DIR   ?= build-tsan
# CI builds treat warnings as errors.
WERROR     := $(if $(CI),ON,OFF)

PACKAGES := g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libblkid-dev \
            qt6-base-dev qt6-multimedia-dev fonts-dejavu-core qt6-image-formats-plugins mtools dosfstools e2fsprogs imagemagick webp xxd \
            ffmpeg sox ghostscript pandoc gnumeric zip p7zip-full sqlite3 \
            qt6-pdf-dev adwaita-icon-theme gstreamer1.0-plugins-good gstreamer1.0-plugins-bad \
            gstreamer1.0-plugins-ugly gstreamer1.0-libav

# make bench: its own optimised build, cached images and the benchmark.
BENCH_DIR      ?= build-bench
BENCH_PACKAGES := imagemagick mount util-linux
# The device-bound case: the median of this many runs of each search.
DEVICE_BENCH_RUNS ?= 3
# The window bench writes into memory: it measures what the window adds to a
# search, and the disk (measured above with cp) only blurred that.
WINDOW_BENCH_OUT ?= $(if $(wildcard /dev/shm),/dev/shm/salvex-window-bench,$(BENCH_DIR)/bench-out)

# make package: the Debian package, built in a release build of its own and put
# here (salvex_<version>_<arch>.deb). make package-test checks it: desktop
# entries, metainfo, lintian, and the unpacked package recovering the sample card.
PACKAGE_DIR      ?= build-package
PACKAGE_PACKAGES := dpkg-dev file fakeroot desktop-file-utils appstream lintian
# Debian's usual hardening, as dpkg-buildflags gives it. No -Werror: GCC 12 at
# -O3 gives the same false -Wrestrict as in make bench.
PACKAGE_HARDENING := -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security

.PHONY: all deps configure build run screenshots test tsan fuzz bench package package-test clean

all: build

deps:
	@./scripts/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DSALVEX_WERROR=$(WERROR) -DSALVEX_BUILD_TESTS=OFF > /dev/null

build: configure
	@cmake --build $(BUILD_DIR)

# With a display, opens the window of the Birch edition, listing the sample card
# when no card is plugged in. Without one, recovers
# the sample card the build makes (photos deleted, then the card quick-formatted)
# into a fresh folder with salvex-scan.
SAMPLE_RESULTS ?= $(BUILD_DIR)/recovered-sample
RUN_BUNDLE     := Salvex Birch Recovery
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  "./$(BUILD_DIR)/bin/$(RUN_BUNDLE).app/Contents/MacOS/$(RUN_BUNDLE)" --sample "$(CURDIR)/$(BUILD_DIR)/sample/sample-card.img"; \
	else \
	  rm -rf $(SAMPLE_RESULTS) && \
	  ./$(BUILD_DIR)/bin/salvex-scan --source $(BUILD_DIR)/sample/sample-card.img --dest $(SAMPLE_RESULTS); \
	fi

# The real window, offscreen, through a recovery of the sample card: one picture
# per screen and window into build/screenshots/, and the same at 200% scaling
# into build/screenshots/200/.
SCREENSHOTS ?= $(BUILD_DIR)/screenshots
screenshots: build
	@rm -rf $(SCREENSHOTS)
	@for scale in 1 2; do \
	  out=$(SCREENSHOTS); [ $$scale = 1 ] || out=$(SCREENSHOTS)/$${scale}00; \
	  QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$$scale QT_LOGGING_RULES='*.warning=false' \
	    ./$(BUILD_DIR)/tools/salvex_screenshots --bundle "$(BUILD_DIR)/bin/$(RUN_BUNDLE).app" \
	    --sample $(BUILD_DIR)/sample/sample-card.img --guide docs/help.md --out $$out || exit 1; \
	done

test: deps
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSALVEX_WERROR=$(WERROR) -DSALVEX_SANITIZE=ON > /dev/null
	@cmake --build $(TEST_DIR)
	@ctest --test-dir $(TEST_DIR) --output-on-failure -j2
	@$(MAKE) --no-print-directory package-test

# The stop flag, the scan positions, the progress tick and the hand-over to the
# interface thread, under ThreadSanitizer.
TSAN_TESTS := InterfaceQueue*:MessageBox*:PhotoEngine*:GroupEngine*:ProgressTick*:FinalScreen*:StopAnywhere*:StopStorm*
tsan: deps
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSALVEX_TSAN=ON > /dev/null
	@cmake --build $(TSAN_DIR) --target core_tests
	@TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ./$(TSAN_DIR)/tests/core_tests --gtest_filter='$(TSAN_TESTS)'

# Each fuzzer for FUZZ_SECONDS (default ten minutes), with clang's libFuzzer.
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 600
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) clang libclang-rt-14-dev"
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSALVEX_FUZZ=ON \
	  -DSALVEX_BUILD_TESTS=OFF > /dev/null
	@cmake --build $(FUZZ_DIR) --target fuzz_signature_file fuzz_mountinfo fuzz_plist fuzz_header_match fuzz_engine_pass fuzz_finish
	@./fuzz/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# Not part of test: prints figures and PASS/MISS, never fails on a missed goal.
# No -Werror here: GCC 12 at -O3 gives a false -Wrestrict on "\n" + std::string.
bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(BENCH_PACKAGES)"
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSALVEX_BENCH=ON \
	  -DSALVEX_BUILD_TESTS=OFF -DSALVEX_WERROR=OFF > /dev/null
	@cmake --build $(BENCH_DIR)
	@./bench/make-photo-image.sh $(BENCH_DIR)/bench-data/photos.img
	@./bench/make-video-image.sh $(BENCH_DIR)/bench-data/videos.img
	@./$(BENCH_DIR)/bin/salvex_bench --data $(BENCH_DIR)/bench-data --out $(BENCH_DIR)/bench-out
	@QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.warning=false' ./$(BENCH_DIR)/tools/salvex_window_bench \
	  --bin $(BENCH_DIR)/bin --data $(BENCH_DIR)/bench-data --out $(WINDOW_BENCH_OUT) --runs 6
	@./bench/device-bound.sh --image $(BENCH_DIR)/bench-data/photos.img --bin $(BENCH_DIR)/bin \
	  --out $(BENCH_DIR)/bench-device-out --runs $(DEVICE_BENCH_RUNS)

package:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(PACKAGE_PACKAGES)"
	@cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSALVEX_WERROR=OFF \
	  -DSALVEX_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$(PACKAGE_HARDENING)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" > /dev/null
	@cmake --build $(PACKAGE_DIR)
	@rm -f salvex_*.deb $(PACKAGE_DIR)/salvex_*.deb
	@cd $(PACKAGE_DIR) && fakeroot cpack -G DEB > /dev/null
	@cp $(PACKAGE_DIR)/salvex_*.deb .
	@ls salvex_*.deb

package-test: package
	@./scripts/check-package.sh salvex_*.deb $(PACKAGE_DIR)/sample/sample-card.img $(PACKAGE_DIR)/bin/salvex-scan

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR) $(TSAN_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(PACKAGE_DIR) salvex_*.deb
