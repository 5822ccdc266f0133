# make run   installs what is missing, builds, starts Kestrix against the built-in receiver simulator
#            (SIM_OPTIONS="--alarm-on-faults --hardware-fault 9" gives it a receiver in alarm)
# make test  installs what is missing, builds, runs every test (and the unit tests under ASan/UBSan);
#            with clang++ installed also the clang build's tests, 30 s of each fuzzer, the fault
#            soak and the static analysers
# make fuzz  runs each fuzzer for FUZZ_SECONDS (300), one at a time
# make soak  runs the fault soak for SOAK_SECONDS (120) per fault
# make package  builds the Debian package, build/kestrix_<version>_<arch>.deb

BUILD      ?= build
ASAN_BUILD ?= build-asan
CLANG_BUILD ?= build-clang
FUZZ_SECONDS ?= 300
SOAK_SECONDS ?= 120
JOBS       ?= $(shell nproc)

.PHONY: all deps build build-asan build-clang test fuzz soak analyse run bench package clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIX_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=ON -DKESTRIX_WERROR=ON \
	      -DKESTRIX_BUILD_GUI=OFF -DKESTRIX_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target kestrix_unit_tests

# The second compiler: clang with ASan, UBSan, libFuzzer's coverage and the library's assertions;
# no Qt layer. It builds the core, the simulator, the tests and the fuzzers.
build-clang: deps
	cmake -S . -B $(CLANG_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	      -DKESTRIX_FUZZ=ON -DKESTRIX_WERROR=ON -DKESTRIX_BUILD_GUI=OFF -DKESTRIX_BUILD_BENCH=OFF
	cmake --build $(CLANG_BUILD) -j $(JOBS)

test: build build-asan
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen KESTRIX_SOAK_SECONDS=30 ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS) -R '^unit\.'
	@if command -v clang++ >/dev/null; then \
	    $(MAKE) --no-print-directory build-clang && \
	    (cd $(CLANG_BUILD) && UBSAN_OPTIONS=print_stacktrace=1 KESTRIX_FUZZ_SECONDS=30 KESTRIX_FUZZ_SEED=1 \
	        ctest --output-on-failure -j $(JOBS) -R '^(unit|integration|fuzz)\.') && \
	    JOBS=$(JOBS) bash scripts/static-analysis.sh $(CLANG_BUILD); \
	else echo "clang++ not installed: the clang build, the fuzzers and the analysers are skipped"; fi

fuzz: build-clang
	cd $(CLANG_BUILD) && KESTRIX_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --output-on-failure -j 1 -R '^fuzz\.'

soak: build
	cd $(BUILD) && KESTRIX_SOAK_SECONDS=$(SOAK_SECONDS) ctest --output-on-failure -j $(JOBS) -R '^soak\.'

analyse: build-clang
	JOBS=$(JOBS) bash scripts/static-analysis.sh $(CLANG_BUILD)

run: build
	@bash scripts/run-with-simulator.sh $(BUILD) --line-speed $(SIM_OPTIONS)

package: build
	cmake --build $(BUILD) --target package

bench: build
	@for b in $(BUILD)/bench_*; do "$$b"; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(CLANG_BUILD)
