BUILD ?= build
JOBS ?= $(shell nproc)
# Each target first installs the Debian packages it needs, listed per target in the script.
SETUP = ./scripts/setup.sh --log $(BUILD)/setup.log
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
VERSION = $(shell sed -n 's/^project.Quorel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: all setup build test run package bench startup check fuzz leakcheck orca mingw-core golden \
  windows windows-test windows-bench windows-package web web-test web-bench arm64 arm64-test \
  package-arm64 armhf-test clean

all: build

# What every target needs, at once.
setup:
	@$(SETUP) all

# Everything, the tests included.
build:
	@$(SETUP) test
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

# Only the program: no test tools are installed or built for it.
run:
	@$(SETUP) run
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j $(JOBS) --target quorel
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
	  echo "quorel: no display to open a window on; try: xvfb-run -a make run"; exit 1; fi
	@./$(BUILD)/quorel

# Records the dial pictures in tests/golden again, after a deliberate change to the drawing.
golden: build
	@./$(BUILD)/tests/golden_test --record

# The Debian package, $(BUILD)/quorel_<version>_<arch>.deb.
package:
	@$(SETUP) package
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j $(JOBS)
	@cd $(BUILD) && cpack -G DEB

# Release build of its own; flags for Google Benchmark go in BENCH_ARGS. Then the frame again with
# the turtle's extended precision computed in software, as on processors without an x87 unit.
bench:
	@$(SETUP) bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUOREL_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS) --target quorel_bench
	@cmake -S . -B build-bench-soft -DCMAKE_BUILD_TYPE=Release -DQUOREL_BENCH=ON \
	  -DQUOREL_SOFT_EXTENDED=ON >/dev/null
	@cmake --build build-bench-soft -j $(JOBS) --target quorel_bench
	@QT_QPA_PLATFORM=offscreen ./build-bench/bench/quorel_bench $(BENCH_ARGS)
	@echo "extended precision in software:"
	@QT_QPA_PLATFORM=offscreen ./build-bench-soft/bench/quorel_bench \
	  --benchmark_filter='^BM_(Floor|Frame)$$' $(BENCH_ARGS)

startup:
	@$(SETUP) startup
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUOREL_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS) --target quorel baseline xprobe
	@./bench/startup.sh build-bench/bench

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer. What Qt and
# fontconfig keep for the whole process on purpose is listed in tests/lsan.supp.
CHECK_BUILD ?= build-check
SANITIZER_ENV = ASAN_OPTIONS=fast_unwind_on_malloc=0 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

check:
	@$(SETUP) check
	@cmake -S . -B $(CHECK_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOREL_SANITIZE=ON >/dev/null
	@$(SANITIZER_ENV) cmake --build $(CHECK_BUILD) -j $(JOBS)
	@cd $(CHECK_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen \
	  ctest --output-on-failure --no-tests=error -j $(JOBS)

# libFuzzer on the turtle, then on the dial, each for FUZZ_SECONDS, from a scratch copy of the
# seeds in fuzz/corpus; FUZZ_ARGS go to libFuzzer (FUZZ_ARGS=-runs=1000000 stops each there).
FUZZ_SECONDS ?= 60
FUZZ_ARGS ?=

fuzz:
	@$(SETUP) fuzz
	@./fuzz/run.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_ARGS)

# A whole window session under valgrind memcheck; any definite or indirect leak fails it.
leakcheck:
	@$(SETUP) leakcheck
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j $(JOBS) --target storm_test
	@./scripts/leakcheck.sh $(BUILD)

# Orca speaks the dial on a virtual display as a blind user hears it; not among the CTest tests,
# as Orca's timing varies with the machine's load.
orca:
	@$(SETUP) orca
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j $(JOBS) --target quorel
	@./tests/orca_test.sh $(BUILD)/quorel $(BUILD)/orca

# The toolkit-free core and its tests compiled for 32-bit Windows with MinGW-w64, warnings as
# errors; the objects go to $(BUILD)/mingw-core. `make test` runs the same check when the
# compiler is installed.
mingw-core:
	@cmake -DSOURCE_DIR=$(CURDIR) -DWORK_DIR=$(abspath $(BUILD))/mingw-core -DREQUIRED=ON \
	  -P tests/mingw_core.cmake

# 32-bit Windows, cross-built with MinGW-w64 into $(WIN_BUILD): quorel.exe, its tests under Wine,
# and the installer with the portable archive.
WIN_BUILD ?= build-win32
WIN_CONFIGURE = cmake --no-warn-unused-cli -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake

windows:
	@$(SETUP) windows
	@$(WIN_CONFIGURE) >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target quorel

windows-test:
	@$(SETUP) windows-test
	@$(WIN_CONFIGURE) -DQUOREL_WINDOWS_TESTS=ON >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS)
	@./scripts/windows_test.sh $(WIN_BUILD)

# The Windows build's frame against the floor of a fill and a copy, timed under Wine.
windows-bench:
	@$(SETUP) windows-bench
	@$(WIN_CONFIGURE) >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target quorel_win_bench
	@./scripts/windows_bench.sh $(WIN_BUILD) $(BENCH_ARGS)

windows-package:
	@$(SETUP) windows-package
	@$(WIN_CONFIGURE) >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target quorel
	@./scripts/windows_package.sh $(WIN_BUILD)

# The browser: $(WEB_BUILD)/quorel.html, one page with the WebAssembly and the font inside, built
# with Debian's emscripten, which finds its JavaScript tools through NODE_PATH.
WEB_BUILD ?= build-web
WEB_ENV = NODE_PATH=/usr/share/nodejs

web:
	@$(SETUP) web
	@$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target quorel

# The page in Debian's Chromium, headless, driven by puppeteer-core at the version that
# tests/web/package-lock.json pins; npm installs it there and downloads no browser.
web-test: web
	@$(SETUP) web-test
	@cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
	@node tests/web/web_test.mjs $(WEB_BUILD)/quorel.html tests/golden

# A warm frame in the page against the native frame of bench/win_bench.cpp, built here with the
# FreeType engine and no toolkit, measured in turns so that both meet the same load.
WEB_NATIVE = $(WEB_BUILD)/native_frame
web-bench: web
	@$(SETUP) web-test bench
	@cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
	@g++ -std=c++20 -O3 -DNDEBUG -ffp-contract=off -fno-math-errno -Icore -o $(WEB_NATIVE) \
	  bench/win_bench.cpp core/turtle/*.cpp core/dial/*.cpp fontengines/freetype/*.cpp \
	  $$(pkg-config --cflags --libs freetype2 fontconfig)
	@node tests/web/web_bench.mjs $(WEB_BUILD)/quorel.html $(WEB_NATIVE)

# ARM, cross-built with Debian's cross compilers against Debian's own arm64 and armhf libraries,
# which scripts/sysroot.sh unpacks into BUILD/sysroot; the tests run under qemu-user.
# arm64 (a Raspberry Pi 3, 4 or 5 with a 64-bit system): the program, every suite and the package.
ARM64_BUILD ?= build-arm64
ARM64_SYSROOT = qt6-base-dev qt6-base-private-dev qt6-wayland libfreetype-dev libfontconfig-dev \
  libgtest-dev zlib1g-dev libstdc++6
ARM64_CONFIGURE = cmake -S . -B $(ARM64_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake >/dev/null

arm64:
	@$(SETUP) arm64
	@./scripts/sysroot.sh arm64 $(ARM64_BUILD)/sysroot $(ARM64_SYSROOT)
	@$(ARM64_CONFIGURE)
	@cmake --build $(ARM64_BUILD) -j $(JOBS) --target quorel

arm64-test:
	@$(SETUP) arm64-test
	@./scripts/sysroot.sh arm64 $(ARM64_BUILD)/sysroot $(ARM64_SYSROOT)
	@$(ARM64_CONFIGURE)
	@cmake --build $(ARM64_BUILD) -j $(JOBS)
	@cd $(ARM64_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ctest --output-on-failure --no-tests=error -j $(JOBS)

# $(ARM64_BUILD)/quorel_<version>_arm64.deb, checked as `make test` checks the machine's own.
package-arm64:
	@$(SETUP) package-arm64
	@./scripts/sysroot.sh arm64 $(ARM64_BUILD)/sysroot $(ARM64_SYSROOT)
	@$(ARM64_CONFIGURE)
	@cmake --build $(ARM64_BUILD) -j $(JOBS)
	@cd $(ARM64_BUILD) && cpack -G DEB
	@sh tests/package_test.sh $(ARM64_BUILD) $(VERSION) arm64
	@sh tests/lintian_test.sh $(ARM64_BUILD) $(VERSION) arm64

# armhf (ARMv7, a Raspberry Pi 2, 3 or 4 with a 32-bit system): the toolkit-free core and its
# suites.
ARMHF_BUILD ?= build-armhf
ARMHF_SYSROOT = libfreetype-dev libfontconfig-dev libgtest-dev zlib1g-dev libstdc++6

armhf-test:
	@$(SETUP) armhf-test
	@./scripts/sysroot.sh armhf $(ARMHF_BUILD)/sysroot $(ARMHF_SYSROOT)
	@cmake -S . -B $(ARMHF_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOREL_QT=OFF \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake >/dev/null
	@cmake --build $(ARMHF_BUILD) -j $(JOBS)
	@cd $(ARMHF_BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

clean:
	@rm -rf $(BUILD) build-bench $(CHECK_BUILD) build-fuzz $(WIN_BUILD) $(WEB_BUILD) $(ARM64_BUILD) \
	  $(ARMHF_BUILD)
