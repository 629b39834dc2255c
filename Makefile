# Orvane Tessaly: `make run` builds and starts the program on the sample picture;
# `make test` builds and runs every test (unit, offscreen GUI, end to end).
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test install package bench fuzz asan format clean

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@ninja -C $(BUILD) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display (set DISPLAY, or run under xvfb-run with a tray host)"; exit 1; fi
	./$(BUILD)/orvane "$(CURDIR)/resources/sample/sample.png"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Installs into PREFIX (default /usr/local); DESTDIR stages the tree elsewhere.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package (orvane_VERSION_ARCH.deb in the build folder).
package: build
	@cd $(BUILD) && cpack -G DEB

bench: build
	@./scripts/run-benches $(BUILD)

fuzz: deps
	@./scripts/run-fuzz $${FUZZ_SECONDS:-60}

# The tests once more with AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON \
	  -DORVANE_BENCH=OFF >/dev/null
	@ninja -C build-asan -j$(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j$(JOBS)

format:
	@clang-format -i $$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp')

clean:
	rm -rf $(BUILD) build-asan build-fuzz
