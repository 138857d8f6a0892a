# Front door: `make demo` and `make test` install what is missing, configure, build and run.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
DEMO_DIR ?= run
FUZZ_SECONDS ?= 60
SECONDS ?= 600

.PHONY: all deps configure build demo demo-bluez test soak package package-check fuzz fuzz-scn bench clean

all: build

deps:
	@./tools/install-deps.sh

# The configure line is kept beside the build; a different line (other CMAKE_FLAGS or build
# type) configures the tree again instead of silently keeping the old flags.
CONFIGURE_LINE = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVIREOSANT_WERROR=OFF -DVIREOSANT_SANITIZE=OFF $(CMAKE_FLAGS)

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ] || [ "$$(cat $(BUILD_DIR)/.configure-line 2>/dev/null)" != "$(CONFIGURE_LINE)" ]; then \
		cmake -S . -B $(BUILD_DIR) $(CONFIGURE_LINE) && echo "$(CONFIGURE_LINE)" > $(BUILD_DIR)/.configure-line; \
	fi

build: configure
	cmake --build $(BUILD_DIR)

# The program against the built-in simulated controller; its working folders live in $(DEMO_DIR)/.
demo: build
	@mkdir -p $(DEMO_DIR)
	cd $(DEMO_DIR) && ../$(BUILD_DIR)/vireosant --demo

# The program on its real Bluetooth backend (Qt's BlueZ code over D-Bus) against the test daemon
# serving the demo controller on a private message bus: no adapter and no root needed.
demo-bluez: build
	./tools/fake-bluez/run-demo.sh $(BUILD_DIR) $(DEMO_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

# The fault campaign of the test suite for SECONDS of wall-clock time from a random first seed
# (printed); each failure prints its seed and steps, and VIREOSANT_CAMPAIGN_SEED=<seed> replays it.
# The test library's watchdog is moved past the run's end.
soak: build
	cd $(BUILD_DIR)/tests && QT_QPA_PLATFORM=offscreen TZ=Europe/Moscow QT_LOGGING_RULES='qt.qpa.*=false' \
		QTEST_FUNCTION_TIMEOUT=$$(( ($(SECONDS) + 600) * 1000 )) \
		VIREOSANT_CAMPAIGN_SECONDS=$(SECONDS) VIREOSANT_CAMPAIGN_SEED=random ./tst_e2e_faultcampaign -maxwarnings 0

# The Debian package (build/vireosant_<version>_<arch>.deb), then its checks.
package: build
	cmake --build $(BUILD_DIR) --target package

package-check: package
	./packaging/check-package.sh $(BUILD_DIR)

# Fuzzes the configuration-image decoder, then the event-log parser, each for FUZZ_SECONDS with
# clang's libFuzzer.
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DVIREOSANT_FUZZ=ON
	cmake --build build-fuzz -j2 --target fuzz_image_decoder fuzz_event_log
	mkdir -p fuzz/corpus-work fuzz/corpus-log-work
	./build-fuzz/fuzz/fuzz_image_decoder -max_total_time=$(FUZZ_SECONDS) fuzz/corpus-work fuzz/corpus
	./build-fuzz/fuzz/fuzz_event_log -max_total_time=$(FUZZ_SECONDS) fuzz/corpus-log-work fuzz/corpus-log

# Fuzzes the scenario-file reader the same way.
fuzz-scn: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DVIREOSANT_FUZZ=ON
	cmake --build build-fuzz --target fuzz_scenario_file
	mkdir -p fuzz/scn-corpus-work
	./build-fuzz/fuzz/fuzz_scenario_file -max_total_time=$(FUZZ_SECONDS) fuzz/scn-corpus-work fuzz/scn-corpus

# Prints the exchange figures, the scenario editor's switch times, then the CPU use of 60 s signed in and idle.
bench: build
	cmake --build $(BUILD_DIR) --target benchmarks
	./$(BUILD_DIR)/bench/bench_exchange
	./$(BUILD_DIR)/bench/bench_history
	./$(BUILD_DIR)/bench/bench_calendar
	./$(BUILD_DIR)/bench/bench_scenario
	./$(BUILD_DIR)/bench/bench_plancheck
	/usr/bin/time -v ./$(BUILD_DIR)/bench/bench_idle 60 2>&1 | grep -E "signed in|User time|System time|Percent of CPU|Maximum resident"
	/usr/bin/time -v ./$(BUILD_DIR)/bench/bench_idle 60 bare 2>&1 | grep -E "bare window|User time|System time|Percent of CPU|Maximum resident"

clean:
	rm -rf $(BUILD_DIR) build-fuzz
