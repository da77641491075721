# Kinbook: `make run` builds and starts the program, `make test` builds and runs every test,
# `make install PREFIX=DIR` installs it, `make package` builds a Debian package.
BUILD_DIR ?= build
PREFIX ?= /usr/local
export CCACHE_BASEDIR := $(CURDIR)
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench test-sanitize install package clean format

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/kinbook/kinbook

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Outside a DESTDIR staging install, tell the desktop about the new MIME type and entry.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	@if [ -z "$(DESTDIR)" ]; then \
		update-mime-database $(PREFIX)/share/mime 2>/dev/null || true; \
		update-desktop-database $(PREFIX)/share/applications 2>/dev/null || true; \
	fi

# The .deb lands in $(BUILD_DIR)/packages/.
package: build
	cmake --build $(BUILD_DIR) --target package

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
	@scripts/compare-peer $(BUILD_DIR)

test-sanitize: deps
	cmake -S . -B build-sanitize -G Ninja -DKINBOOK_SANITIZE=ON -DKINBOOK_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) build-sanitize
