# Two commands do everything on a fresh Debian 12 / Ubuntu machine:
#   make run    install what is missing, build, start Quillan on the current display
#   make test   install what is missing, check the C++ formatting, build with sanitizers, run
#               every test; then build the logic and the Win32 backend with mingw-w64 and run
#               their tests under Wine
# Also: make build, make bench, make format, make clean; make package (the Debian package in
# build/package), make install (to PREFIX, /usr/local unless given).

RELEASE_DIR := build/release
TEST_DIR    := build/asan
WINDOWS_DIR := build/mingw
PACKAGE_DIR := build/package
PREFIX      ?= /usr/local
JOBS        ?= $(shell nproc)

.PHONY: all deps build run test bench format clean package install

all: build

deps:
	@bash scripts/install-deps.sh

$(RELEASE_DIR)/build.ninja:
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLAN_BUILD_TESTS=OFF

$(TEST_DIR)/build.ninja:
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLAN_SANITIZE=ON

build: deps $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target quillan

run: build
	./$(RELEASE_DIR)/src/quillan $(ARGS)

# The formatting check comes first: it fails in seconds, before the long build.
test: deps $(TEST_DIR)/build.ninja
	bash scripts/format.sh --check
	cmake --build $(TEST_DIR) -j $(JOBS)
	bash scripts/fetch-reference-pe.sh $(TEST_DIR)/reference-pe
	bash scripts/run-tests.sh $(TEST_DIR)
	bash scripts/windows-checks.sh $(WINDOWS_DIR)
	bash scripts/package-checks.sh $(PACKAGE_DIR)

package: deps
	bash scripts/build-package.sh $(PACKAGE_DIR)

install: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLAN_BUILD_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	cmake --install $(RELEASE_DIR) --strip

bench: deps $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	bash bench/run-all.sh $(RELEASE_DIR)

format:
	bash scripts/format.sh

clean:
	rm -rf build

FUZZ_DIR     := build/fuzz
FUZZ_SECONDS ?= 60

.PHONY: fuzz
# Runs each libFuzzer target for FUZZ_SECONDS (clang and its fuzzer runtime are installed
# on demand).
fuzz: deps
	@bash scripts/install-deps.sh clang libclang-rt-14-dev
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLAN_FUZZ=ON -DQUILLAN_BUILD_TESTS=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for f in $(FUZZ_DIR)/fuzz/fuzz_*; do \
	  name=$$(basename $$f | sed 's/^fuzz_//'); corpus=$$(mktemp -d); \
	  case $$name in qlp_codec) seed=fuzz/corpus/qlp;; *) seed=fuzz/corpus/$$name;; esac; \
	  echo "== $$f"; $$f -max_total_time=$(FUZZ_SECONDS) $$corpus $$seed || exit 1; rm -rf $$corpus; \
	done
