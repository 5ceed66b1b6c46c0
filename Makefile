# The two entry points of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: deps deps-run build build-run run test test-normal test-asan test-tsan test-install test-fuzz bench clean

# The Debian packages: deps-run what building and running need, deps those
# and what the tests need too (scripts/install-deps.sh).
deps-run:
	@./scripts/install-deps.sh run

deps:
	@./scripts/install-deps.sh test

# The build make run needs. It holds the tests only where GoogleTest is
# installed (or where a make test configured it before).
build-run: deps-run
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# The normal build with its tests.
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRDBXML_BUILD_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build-run
	$(BUILD)/bin/rdbxml
	$(BUILD)/bin/rdbxml -q --hierarchy examples/hierarchy.txt --html $(BUILD)/example.html
	@echo "the example as a web page: $(BUILD)/example.html"

test-normal: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@echo "the example page as the browser showed it: $(BUILD)/artifacts/example-page.png"

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DRDBXML_SANITIZE=ON -DRDBXML_BUILD_PYTHON=OFF -DRDBXML_BUILD_TESTS=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The concurrency tests (tests/threads, the tool reading many files on
# several threads, checking them too, the index parsing them on threads,
# the diff parsing its two reports at once, and the read-ahead thread of
# compressed input) once more, in a
# ThreadSanitizer build of their own: any data race fails. They carry the
# label tsan (tests/labels.cmake); so does TestLabels.tsan, which fails when
# one of their suites selects nothing.
TSAN_BUILD ?= build-tsan
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRDBXML_SANITIZE_THREAD=ON -DRDBXML_BUILD_BENCH=OFF -DRDBXML_BUILD_PYTHON=OFF -DRDBXML_BUILD_TESTS=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target thread_tests tool_tests support_tests index_tests rdbxml
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -j $(JOBS) -L '^tsan$$'

# The fuzz targets (fuzz/run.sh): a clang build of their own, each target
# run for FUZZ_SECONDS; any crash, leak or timeout fails.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
test-fuzz: deps
	JOBS=$(JOBS) ./fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test: test-normal test-asan test-tsan test-install test-fuzz

# Installs the normal build into a prefix under it, builds the example host
# program against that (CMake package and pkg-config) and runs it and the
# installed tool: a broken install fails the tests.
test-install: build
	./scripts/test-install.sh $(BUILD)

# The benchmark (bench/README.md): a Release build of its own, then one run.
BENCH_BUILD ?= build-bench
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target rdb_bench rdb_bench_gen
	$(BENCH_BUILD)/bin/rdb_bench --dir $(BENCH_BUILD)/bench-data $(BENCH_ARGS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
