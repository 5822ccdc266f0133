# make run   installs what is missing, builds, starts Kestrix against the built-in receiver simulator
#            (SIM_OPTIONS="--alarm-on-faults --hardware-fault 9" gives it a receiver in alarm)
# make test  installs what is missing, builds, runs every test (and the unit tests under ASan/UBSan)
# make package  builds the Debian package, build/kestrix_<version>_<arch>.deb

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all deps build build-asan test run bench package clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=ON \
	      -DKESTRIX_BUILD_GUI=OFF -DKESTRIX_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target kestrix_unit_tests

test: build build-asan
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS) -R '^unit\.'

run: build
	@bash scripts/run-with-simulator.sh $(BUILD) --line-speed $(SIM_OPTIONS)

package: build
	cmake --build $(BUILD) --target package

bench: build
	@for b in $(BUILD)/bench_*; do "$$b"; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
