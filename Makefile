# make run   - install what is missing, build, and start TESK on the example data file
# make test  - install what is missing, build, and run every test
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc)
EXAMPLE ?= examples/fingerprints.txt

.PHONY: all deps configure build test run sanitize bench clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 900
	$(MAKE) fuzz FUZZ_TIME=30

run: build
	$(BUILD_DIR)/app/tesk $(EXAMPLE)

# The engine's unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESK_SANITIZE=ON -DTESK_BUILD_GUI=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest -L unit --output-on-failure -j $(JOBS) --timeout 1800

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
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
