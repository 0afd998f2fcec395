BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all setup build test run clean

all: build

setup:
	@./scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
	  echo "quorel: no display to open a window on; try: xvfb-run make run"; exit 1; fi
	@./$(BUILD)/quorel

clean:
	@rm -rf $(BUILD)
