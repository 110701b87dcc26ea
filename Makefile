# Thin wrapper over CMake. `make demo` and `make test` do all set-up on a fresh clone.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test demo clean

all: build

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: build
	./examples/run_demo.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
