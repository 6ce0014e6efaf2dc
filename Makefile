# Set-up and build entry points. `make demo` and `make test` install what is
# missing (as root through apt-get; otherwise they print the line to run).

NATIVE := build/native
WIN32_DIR := build/win32
WIN64_DIR := build/win64
JOBS ?= $(shell nproc)

# Debian packages each goal needs.
BUILD_PACKAGES := cmake make g++ python3 binutils-mingw-w64-x86-64 libboost-dev
TEST_PACKAGES := $(BUILD_PACKAGES) googletest libgtest-dev libgmock-dev \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
# The Windows module under Wine, and pictures of its boxes on an X server of their own.
TEST_PACKAGES += wine64 xvfb imagemagick
MODULE_PACKAGES := $(BUILD_PACKAGES) g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
BENCH_PACKAGES := $(BUILD_PACKAGES) libbenchmark-dev

.PHONY: all demo test module native bench deps-build deps-test deps-module deps-bench clean

all: native

deps-build:
	@scripts/ensure-packages $(BUILD_PACKAGES)
deps-test:
	@scripts/ensure-packages $(TEST_PACKAGES)
deps-module:
	@scripts/ensure-packages $(MODULE_PACKAGES)
deps-bench:
	@scripts/ensure-packages $(BENCH_PACKAGES)

$(NATIVE)/CMakeCache.txt:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo

native: deps-build $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)

module: deps-module
	cmake -S . -B $(WIN32_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN32_DIR) -j $(JOBS)
	cmake -S . -B $(WIN64_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN64_DIR) -j $(JOBS)
	@echo "Windows module: $(WIN32_DIR)/TraxTool.aip (64-bit twin: $(WIN64_DIR)/TraxTool.aip)"

demo: deps-build native
	@$(NATIVE)/simhost --svg trax-demo.svg
	@echo "The drawing: $(CURDIR)/trax-demo.svg (session: simhost/sessions/demo.session)"

test: deps-test native module
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

bench: deps-bench native
	@echo "no benchmarks yet"

clean:
	rm -rf build
