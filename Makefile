# The two set-up commands of the README: `make play` and `make test`. Both install whatever
# Debian packages are missing first, so a fresh Debian 12 machine needs nothing else.

JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: play test deps build build-asan purity bench format

play: build
	./$(BUILD)/zapwall

# The end-to-end test plays the real program in a virtual X server with real timing; a machine
# that stalls it beyond its waits gets one more try.
test: build purity
	cd $(BUILD) && ctest -LE e2e --output-on-failure -j$(JOBS) --timeout 600
	cd $(BUILD) && ctest -L e2e --output-on-failure --timeout 600 --repeat until-pass:2
	$(MAKE) build-asan
	cd $(ASAN_BUILD) && ctest -L unit --output-on-failure -j$(JOBS) --timeout 900

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

# The unit tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZAPWALL_SANITIZE=ON -DZAPWALL_UNIT_ONLY=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)

# Fails when the engine includes a Qt or SDL header.
purity:
	scripts/check-engine-purity

# The benchmarks, medians of ten repetitions each (see bench/).
bench: build
	for b in engine_bench sound_bench; do \
	  ./$(BUILD)/$$b --benchmark_repetitions=10 --benchmark_report_aggregates_only=true; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
