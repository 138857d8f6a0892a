# Front door: `make demo` and `make test` install what is missing, configure, build and run.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
DEMO_DIR ?= run
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build demo test package package-check fuzz bench clean

all: build

deps:
	@./tools/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

# The program against the built-in simulated controller; its working folders live in $(DEMO_DIR)/.
demo: build
	@mkdir -p $(DEMO_DIR)
	cd $(DEMO_DIR) && ../$(BUILD_DIR)/vireosant --demo

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

# The Debian package (build/vireosant_<version>_<arch>.deb), then its checks.
package: build
	cmake --build $(BUILD_DIR) --target package

package-check: package
	./packaging/check-package.sh $(BUILD_DIR)

# Fuzzes the configuration-image decoder for FUZZ_SECONDS with clang's libFuzzer.
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DVIREOSANT_FUZZ=ON
	cmake --build build-fuzz --target fuzz_image_decoder
	mkdir -p fuzz/corpus-work
	./build-fuzz/fuzz/fuzz_image_decoder -max_total_time=$(FUZZ_SECONDS) fuzz/corpus-work fuzz/corpus

# Prints the exchange figures, then the CPU use of 60 s signed in and idle.
bench: build
	cmake --build $(BUILD_DIR) --target benchmarks
	./$(BUILD_DIR)/bench/bench_exchange
	/usr/bin/time -v ./$(BUILD_DIR)/bench/bench_idle 60 2>&1 | grep -E "signed in|User time|System time|Percent of CPU|Maximum resident"

clean:
	rm -rf $(BUILD_DIR) build-fuzz
