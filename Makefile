# make run   - install what is missing, build, and start TESK on the example data file
# make test  - install what is missing, build, and run every test: the strict build with all tests, the
#              unit tests in shuffled order, the unit tests under ASan+UBSan, and the tests labelled
#              threads under ThreadSanitizer, and each fuzz harness for 30 s (each configuration in its
#              own build folder)
BUILD_DIR ?= build
STRICT_DIR ?= build-strict
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
JOBS ?= $(shell nproc)
EXAMPLE ?= examples/fingerprints.txt
# The order of the shuffled run; repeat a failing order with `make test-shuffle SHUFFLE_SEED=n`.
SHUFFLE_SEED ?= 1
TEST_STAGES = test-strict test-shuffle test-asan test-tsan fuzz

.PHONY: all deps configure build test run sanitize bench tidy clean \
        strict asan tsan $(TEST_STAGES)

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/tesk $(EXAMPLE)

# Each stage reports how long it took.
test: deps
	@for stage in $(TEST_STAGES); do \
	  start=$$(date +%s); \
	  $(MAKE) --no-print-directory $$stage || exit 1; \
	  echo "== $$stage passed in $$(( $$(date +%s) - start )) s"; \
	done

# The strict warning set as errors (cmake/TeskStrict.cmake), and every test: unit, oracle and GUI.
strict:
	cmake -S . -B $(STRICT_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESK_STRICT=ON
	cmake --build $(STRICT_DIR) -j $(JOBS)
	# Built, not run: a changed signature must not leave a benchmark behind.
	cmake --build $(STRICT_DIR) -j $(JOBS) --target benchmarks

test-strict: strict
	cd $(STRICT_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 900

# ctest runs every test in a process of its own; here each unit-test program runs its tests in one
# process in a shuffled order, so a test that leans on another's leftovers fails.
test-shuffle: strict
	@echo "Shuffled unit tests, seed $(SHUFFLE_SEED) (repeat: make test-shuffle SHUFFLE_SEED=$(SHUFFLE_SEED))"
	@cd $(STRICT_DIR)/tests && for program in *_tests; do \
	  echo "$$program"; \
	  ./$$program --gtest_shuffle --gtest_random_seed=$(SHUFFLE_SEED) --gtest_brief=1 || exit 1; \
	done

# The unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESK_SANITIZE=ON -DTESK_BUILD_GUI=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS) --target unit_tests

test-asan: asan
	cd $(ASAN_DIR) && ctest -L unit --output-on-failure -j $(JOBS) --timeout 1800

# The tests labelled threads (tests/<area>/*_threads_test.cpp) under ThreadSanitizer; none may exist yet.
tsan:
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESK_TSAN=ON -DTESK_BUILD_GUI=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS) --target threads_tests

test-tsan: tsan
	cd $(TSAN_DIR) && ctest -L threads --no-tests=ignore --output-on-failure -j $(JOBS) --timeout 1800

sanitize: deps test-asan

# clang-tidy with .clang-tidy over our own sources: advice, so not part of make test.
tidy: build
	bash scripts/install-deps.sh lint
	run-clang-tidy -p $(BUILD_DIR) -j $(JOBS) -quiet '$(CURDIR)/(src|tests|app|bench)/'

bench: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks

# The libFuzzer harnesses of tests/fuzz (clang, AddressSanitizer, UndefinedBehaviorSanitizer),
# each run for FUZZ_TIME seconds, FUZZ_JOBS at a time; any finding fails (tests/fuzz/README.md).
FUZZ_DIR ?= build-fuzz
FUZZ_TIME ?= 30
FUZZ_JOBS ?= 3
.PHONY: fuzz
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DTESK_FUZZ=ON -DTESK_BUILD_GUI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	bash tests/fuzz/run.sh $(FUZZ_DIR) $(FUZZ_TIME) $(FUZZ_JOBS)

clean:
	rm -rf $(BUILD_DIR) $(STRICT_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR)
