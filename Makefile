# Thin wrapper over CMake. `make demo` and `make test` do all set-up on a fresh clone.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build test demo install clean windows windows-test workflow-test cluster-test fuzz thread-test nohts-test

all: build

# Installs the Debian packages the build and the tests need when some are
# missing (or says which command to run); a few file checks when none is.
deps:
	scripts/install-deps.sh build

build: deps
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

# The tests of the read passes and index builds on several threads (threads 1,
# 2, 3 and 7, batches of every size) under ThreadSanitizer, in TSAN_BUILD_DIR,
# then the command line on two threads with its progress line.
TSAN_BUILD_DIR ?= build-tsan
TSAN_FLAGS = -fsanitize=thread -fno-omit-frame-pointer
THREAD_TESTS ?= Thread|Index|ReadBatches|OrderedWork

thread-test: deps
	cmake -S . -B $(TSAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(TSAN_FLAGS)"
	cmake --build $(TSAN_BUILD_DIR) -j $(JOBS) --target vantrels_tests vantrels
	cd $(TSAN_BUILD_DIR) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -j $(JOBS) -R '$(THREAD_TESTS)'
	scripts/thread-cli-check.sh $(TSAN_BUILD_DIR)

# The whole suite on a build without htslib (raw genome and reads files only),
# in NOHTS_BUILD_DIR: the FASTA/FASTQ tests skip, saying so, and the rest pass.
NOHTS_BUILD_DIR ?= build-nohts

nohts-test: deps
	cmake -S . -B $(NOHTS_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DVANTRELS_HTSLIB=OFF
	cmake --build $(NOHTS_BUILD_DIR) -j $(JOBS)
	cd $(NOHTS_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Static Windows x86-64 build with MinGW-w64, and its end-to-end checks under Wine
# (Debian packages g++-mingw-w64-x86-64-posix and wine64).
WINDOWS_BUILD_DIR ?= build-windows

windows:
	scripts/install-deps.sh windows
	cmake -S . -B $(WINDOWS_BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DVANTRELS_TESTS=OFF
	cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)

windows-test: windows build
	scripts/install-deps.sh wine
	tests/windows/run.sh $(WINDOWS_BUILD_DIR)/vantrels.exe $(BUILD_DIR)/vantrels $(WINDOWS_BUILD_DIR)/windows-test

# The many-samples workflow (workflow/) on the bundled example: with snakemake
# here, and through a one-node SLURM cluster started on this machine (Debian
# packages snakemake, slurm-wlm and munge, installed when missing).
workflow-test: build
	workflow/tests/run.sh local $(BUILD_DIR)/vantrels

cluster-test: build
	workflow/tests/run.sh cluster $(BUILD_DIR)/vantrels

# libFuzzer harnesses (fuzz/): built with clang-14 in FUZZ_BUILD_DIR (installed
# when missing), each run for FUZZ_SECONDS; a finding fails the target and its
# input stays in $(FUZZ_BUILD_DIR)/crashes/<harness>/. Harnesses for the command
# line (cli/) join them there as fuzz/<name>.cpp (see fuzz/README.md).
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60

fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) fuzz/run.sh $(FUZZ_BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
