BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
BENCH_DIR ?= build-bench

.PHONY: all deps configure build run test package bench fuzz screenshots format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(BUILD_DIR)/app/vaulnix

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The Debian package, in the build folder: vaulnix_VERSION_ARCH.deb
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

# Release build of the benchmarks, then the whole benchmark run (a few minutes, on /dev/shm).
bench:
	@scripts/install-deps.sh --bench
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DVAULNIX_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_DIR) --target cipher_bench vaulnix-bench vaulnix-cli vaulnix-desktop-bench -j $(JOBS)
	@BUILD_DIR=$(BENCH_DIR) bench/run-benchmarks.sh

# A longer fuzzing run of the box reader and extraction (seconds: FUZZ_SECONDS, default 60).
fuzz: deps
	@tests/fuzz/run-fuzz.sh $(FUZZ_SECONDS)

# The README's screenshots, taken of the real program under Xvfb.
screenshots: build
	@scripts/install-deps.sh --docs
	@docs/make-screenshots.sh $(BUILD_DIR)/app/vaulnix

clean:
	rm -rf $(BUILD_DIR)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
