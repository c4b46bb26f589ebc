# Kestro: `make run` builds and starts the tool on the demo start directory;
# `make test` builds with warnings as errors and runs every test headless.
# `make soak` runs the kill campaign over and over for SOAK_SECONDS (600).
# `make bench` times Load and removal against cp and rm; BENCH_ROWS="small remove" times only those.
# `make fuzz` builds the fuzz targets with clang's libFuzzer and runs each for a minute.
# `make windows` cross-builds kestro.exe and its zip; `make test-windows` runs every test under Wine.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
SOAK_SECONDS ?= 600
SOAK_ROUNDS  ?= 2
BENCH_ROWS   ?=
JOBS       ?= $(shell nproc)
DEMO_RUN   := $(BUILD)/demo-run

.PHONY: all setup build run test check check-asan soak bench fuzz package windows test-windows clean

all: build

setup:
	@bash scripts/setup.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_WERROR=ON

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

# The ordinary build and the sanitizer build go side by side: the ordinary tests, the kill
# campaign above all, wait on the disk and the clock much of their time, which the other fills.
test: setup
	$(MAKE) --no-print-directory -j2 --output-sync=target check check-asan

check: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The kill campaign runs in the ordinary build alone: a child killed by SIGKILL tells a sanitizer
# nothing, and the campaign takes minutes. The package test, whose program is the ordinary
# build's, runs there too. Line tables are debug information enough for a sanitizer's report,
# and quicker to build than full debug information.
check-asan: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
		-DKESTRO_WERROR=ON -DKESTRO_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) -E '^(tst_killed|package_files)$$'

# The kill campaign of `make test` over and over, each run with a seed of its own and
# SOAK_ROUNDS times its kills, until SOAK_SECONDS have passed.
soak: build
	cd $(BUILD)/tests/app && end=$$(( $$(date +%s) + $(SOAK_SECONDS) )) && \
	while QT_QPA_PLATFORM=offscreen KESTRO_KILL_ROUNDS=$(SOAK_ROUNDS) ./tst_killed; do \
		[ $$(date +%s) -lt $$end ] || exit 0; \
	done; exit 1

bench: build
	cmake --build $(BUILD) --target kestro_bench -j $(JOBS)
	$(BUILD)/bench/kestro_bench $(BENCH_ROWS)

# Each target runs on a scratch copy of its corpus, so fuzz/corpus/ does not grow; `make test`
# replays that corpus in the ordinary build.
fuzz:
	@bash scripts/setup.sh fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DKESTRO_WERROR=ON -DKESTRO_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) --target fuzzers -j $(JOBS)
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# A Debian package of Kestro, in $(BUILD).
package: build
	cd $(BUILD) && cpack

# The first run also cross-builds Qt for Windows into ~/.cache/kestro (30 to 75 minutes, once).
windows:
	bash scripts/windows.sh package

test-windows:
	bash scripts/windows.sh test

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) build-windows
