# Thin wrapper over CMake. `make demo` and `make test` do all set-up on a fresh clone.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test demo install clean windows windows-test

all: build

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: build
	./examples/run_demo.sh $(BUILD_DIR)

# Installs vantrels, vantrels-prep and their manual pages under PREFIX
# (bin/, share/man/man1/); DESTDIR is honoured for staged installs.
PREFIX ?= /usr/local

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Static Windows x86-64 build with MinGW-w64, and its end-to-end checks under Wine
# (Debian packages g++-mingw-w64-x86-64-posix and wine64).
WINDOWS_BUILD_DIR ?= build-windows

windows:
	cmake -S . -B $(WINDOWS_BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DVANTRELS_TESTS=OFF
	cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)

windows-test: windows build
	tests/windows/run.sh $(WINDOWS_BUILD_DIR)/vantrels.exe $(BUILD_DIR)/vantrels $(WINDOWS_BUILD_DIR)/windows-test

clean:
	rm -rf $(BUILD_DIR)
