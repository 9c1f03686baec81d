# SPDX-License-Identifier: GPL-3.0-or-later
# The README's two set-up commands are the scripts ./play and ./test at the top of the tree (a
# minimal Debian has no make); `make play` and `make test` run the same scripts.

JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
PACKAGE_BUILD ?= build-package
export JOBS BUILD ASAN_BUILD

.PHONY: play test build package purity bench format

play:
	./play

test:
	./test

# Everything, the tests and benchmarks included, without running anything.
build:
	scripts/install-deps test
	scripts/build-all $(BUILD)

# The Debian package, $(PACKAGE_BUILD)/zapwall_VERSION_ARCH.deb, built in a folder of its own
# without the tests and benchmarks, and checked with lintian --pedantic (warnings fail).
package:
	scripts/build-package $(PACKAGE_BUILD)

# Fails when the engine, layout/ or shell/ includes a Qt, SDL or system header or C++'s streams, or
# tests __EMSCRIPTEN__ (scripts/check-engine-purity), or when source folders include each other in
# a circle.
purity:
	scripts/check-engine-purity
	scripts/check-folder-graph

# The benchmarks, medians of ten repetitions each (see bench/).
bench: build
	for b in engine_bench sound_bench; do \
	  ./$(BUILD)/$$b --benchmark_repetitions=10 --benchmark_report_aggregates_only=true; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
