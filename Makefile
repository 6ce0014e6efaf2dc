# Set-up and build entry points. `make demo` and `make test` install what is
# missing (as root through apt-get; otherwise they print the line to run).

NATIVE := build/native
WIN32_DIR := build/win32
WIN64_DIR := build/win64
ASAN_DIR := build/asan
FUZZ_DIR := build/fuzz
BENCH_DIR := build/bench
JOBS ?= $(shell nproc)
# Seconds each fuzzing harness runs in `make test`.
FUZZ_SECONDS ?= 30

# Debian packages each goal needs.
BUILD_PACKAGES := cmake make g++ python3 binutils-mingw-w64-x86-64 libboost-dev
TEST_PACKAGES := $(BUILD_PACKAGES) googletest libgtest-dev libgmock-dev \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 clang libclang-rt-14-dev
# The Windows module under Wine, and pictures of its boxes on an X server of their own.
TEST_PACKAGES += wine64 xvfb imagemagick
MODULE_PACKAGES := $(BUILD_PACKAGES) g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
BENCH_PACKAGES := $(BUILD_PACKAGES) libbenchmark-dev googletest libgtest-dev libgmock-dev

.PHONY: all demo test module native sanitize fuzz bench deps-build deps-test deps-module deps-bench clean

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
	@$(MAKE) --no-print-directory sanitize
	@$(MAKE) --no-print-directory fuzz

# The test programs again with AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report fails: the test that made it, and any report a program left in
# $(ASAN_DIR)/reports (a program run by a test may not pass its status on).
SANITIZERS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
SANITIZER_REPORTS := $(CURDIR)/$(ASAN_DIR)/reports
# Light optimisation and line tables only: quicker to build, and reports still name their lines.
QUICK_DEBUG := "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1"
sanitize: deps-test
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug $(QUICK_DEBUG) \
	  "-DCMAKE_C_FLAGS=$(SANITIZERS)" "-DCMAKE_CXX_FLAGS=$(SANITIZERS)" \
	  "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZERS)" "-DCMAKE_SHARED_LINKER_FLAGS=$(SANITIZERS)" \
	  "-DCMAKE_MODULE_LINKER_FLAGS=$(SANITIZERS)"
	cmake --build $(ASAN_DIR) -j $(JOBS) --target trax_tests
	rm -rf $(SANITIZER_REPORTS) && mkdir -p $(SANITIZER_REPORTS)
	@cd $(ASAN_DIR) && \
	  ASAN_OPTIONS=exitcode=86:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$(SANITIZER_REPORTS)/asan \
	  UBSAN_OPTIONS=print_stacktrace=1:log_path=$(SANITIZER_REPORTS)/ubsan \
	  ctest --output-on-failure -j $(JOBS) -E '^wine_'; status=$$?; \
	  if [ -n "$$(ls -A $(SANITIZER_REPORTS))" ]; then cat $(SANITIZER_REPORTS)/*; \
	    echo "sanitizer reports above (kept in $(SANITIZER_REPORTS))"; exit 1; fi; \
	  [ $$status -eq 0 ] && echo "sanitizers: no reports"; exit $$status

# The libFuzzer harnesses of tests/fuzz, built with clang in $(FUZZ_DIR). Each
# runs FUZZ_SECONDS from its committed corpus (tests/fuzz/corpus/<harness>);
# what it adds goes to $(FUZZ_DIR)/corpus. A crash, leak, sanitizer report or
# hang fails, and the input is kept in $(FUZZ_DIR)/findings/<harness>/.
FUZZ_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
FUZZERS := plugin_main_fuzzer error_report_fuzzer
fuzz: deps-test
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Debug $(QUICK_DEBUG) -DTRAX_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  "-DCMAKE_C_FLAGS=$(FUZZ_FLAGS)" "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)"
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target trax_fuzzers
	@for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$f $(FUZZ_DIR)/findings/$$f || exit 1; \
	  echo "fuzzing $$f for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_DIR)/tests/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/findings/$$f/ $(FUZZ_DIR)/corpus/$$f tests/fuzz/corpus/$$f \
	    > $(FUZZ_DIR)/$$f.log 2>&1 || { tail -60 $(FUZZ_DIR)/$$f.log; \
	      echo "$$f found a fault; its input: $(FUZZ_DIR)/findings/$$f"; exit 1; }; \
	  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' $(FUZZ_DIR)/$$f.log; \
	done

# Benchmarks (bench/), built in $(BENCH_DIR) for speed; prints the table and
# rewrites BENCHMARKS.md.
BENCH_RUN := --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_out_format=json
bench: deps-bench
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_DIR) -j $(JOBS) --target trax_benchmarks
	$(BENCH_DIR)/bench/plugin_bench $(BENCH_RUN) --benchmark_out=$(BENCH_DIR)/plugin_bench.json
	$(BENCH_DIR)/bench/track_cursor_bench $(BENCH_RUN) --benchmark_out=$(BENCH_DIR)/track_cursor_bench.json
	@python3 bench/report.py BENCHMARKS.md $(BENCH_DIR) $(BENCH_DIR)/plugin_bench.json $(BENCH_DIR)/track_cursor_bench.json
	@echo "Written: $(CURDIR)/BENCHMARKS.md"

clean:
	rm -rf build
