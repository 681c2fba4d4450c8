# Front for the CMake build. Every target configures its own build folder, so
# each works from a fresh clone.

JOBS        ?= $(shell nproc)
CMAKE       ?= cmake
FUZZ_SECONDS ?= 60

.PHONY: all configure build test test-sanitize test-tsan bench fuzz clean table-report demo \
        windows test-windows kit kit-linux memcheck

all: build

# What each target needs, as NEED=DEBIAN_PACKAGE (scripts/ensure-packages.sh
# checks the commands and headers themselves, installs what is missing with
# apt-get, and elsewhere names it and stops).
BUILD_NEEDS = cmake=cmake make=make g++=g++ CLI/CLI.hpp=libcli11-dev zlib.h=zlib1g-dev
TEST_NEEDS  = $(BUILD_NEEDS) gtest/gtest.h=libgtest-dev gmock/gmock.h=libgmock-dev
CLANG_NEEDS = clang++=clang sanitizer:address,undefined=libclang-rt-14-dev

configure:
	scripts/ensure-packages.sh $(TEST_NEEDS)
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON -DHALVEX_TESTS_OPTIONAL=OFF

build: configure
	$(CMAKE) --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

# AddressSanitizer (with leak checking) and UndefinedBehaviorSanitizer, with
# clang so that both compilers see every line.
test-sanitize:
	scripts/ensure-packages.sh $(TEST_NEEDS) $(CLANG_NEEDS)
	$(CMAKE) -S . -B build-sanitize -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON -DHALVEX_SANITIZE=address,undefined
	$(CMAKE) --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The project's main job: build the model and the host, then sweep the transmitter's
# de-emphasis through a lossy line of moderate loss with the amihost tool and
# print the table; the plots land in $(DEMO_OUT). DEMO_BITS is the PRBS length
# per setting: 20000 bits (640,000 samples) each, about 10 s for all 16.
# The second table is the same sweep through a physical channel given as a
# Touchstone file: the stripline tool writes a lossy differential stripline of
# DEMO_LINE metres as a .s4p (10 MHz .. 50 GHz), which amihost reads with
# --touchstone; its plots land in $(DEMO_OUT)/touchstone.
DEMO_BITS ?= 20000
DEMO_LOSS ?= 15
DEMO_LINE ?= 0.6
DEMO_OUT  ?= build/demo
DEMO_SWEEP = build/tools/amihost/amihost sweep build/ami/Halvex_tx_x64.so model/Halvex_tx.ami \
  --bit-time 78.125e-12 --samples-per-bit 32 --stimulus prbs7 --bits $(DEMO_BITS) --param de=0:15
# It needs no test framework: without GoogleTest the tests are left out.
demo:
	scripts/ensure-packages.sh $(BUILD_NEEDS)
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON -DHALVEX_TESTS_OPTIONAL=ON
	$(CMAKE) --build build -j $(JOBS) --target Halvex_tx_x64 amihost stripline
	$(DEMO_SWEEP) --loss $(DEMO_LOSS) --out $(DEMO_OUT)
	@echo
	mkdir -p $(DEMO_OUT)/touchstone
	build/tools/stripline/stripline $(DEMO_OUT)/touchstone/stripline.s4p --length $(DEMO_LINE)
	$(DEMO_SWEEP) --touchstone $(DEMO_OUT)/touchstone/stripline.s4p --out $(DEMO_OUT)/touchstone

# The embedded step responses' figures beside their characterisation targets.
table-report: build
	build/model/StepResponseReport

# ThreadSanitizer over the entry-point tests, which drive instances from
# several threads at once.
test-tsan:
	scripts/ensure-packages.sh $(TEST_NEEDS)
	$(CMAKE) -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON \
	  -DHALVEX_SANITIZE=thread
	$(CMAKE) --build build-tsan -j $(JOBS) --target ami_tests Halvex_tx_x64
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L ami

# Google Benchmark programs (off in the normal build).
bench:
	scripts/ensure-packages.sh $(BUILD_NEEDS) benchmark/benchmark.h=libbenchmark-dev
	$(CMAKE) -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DHALVEX_TESTS=OFF -DHALVEX_BENCH=ON
	$(CMAKE) --build build-bench -j $(JOBS) --target halvex_benchmarks
	@set -e; for b in build-bench/bench/*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then echo "== $$b"; "$$b" $(BENCH_ARGS); fi; done

# libFuzzer targets under AddressSanitizer and UndefinedBehaviorSanitizer, each
# run for FUZZ_SECONDS from its seed corpus. The targets' own standard error
# (the model's expected diagnostics) is closed; libFuzzer's and the
# sanitizers' reports still show. A crashing input lands in build-fuzz/.
fuzz:
	scripts/ensure-packages.sh $(BUILD_NEEDS) $(CLANG_NEEDS)
	$(CMAKE) -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DHALVEX_TESTS=OFF -DHALVEX_FUZZ=ON -DHALVEX_SANITIZE=address,undefined
	$(CMAKE) --build build-fuzz -j $(JOBS)
	@set -e; for f in build-fuzz/fuzz/*; do \
	  if [ -f "$$f" ] && [ -x "$$f" ]; then \
	    name=$$(basename "$$f"); work=build-fuzz/corpus-$$name; mkdir -p "$$work"; \
	    seeds=fuzz/corpus/$$name; [ -d "$$seeds" ] || seeds=; \
	    echo "== $$name for $(FUZZ_SECONDS) s"; \
	    "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -close_fd_mask=2 \
	      -artifact_prefix=build-fuzz/ "$$work" $$seeds; fi; done

# Windows: Halvex_tx_x64.dll and amihost.exe cross-built with MinGW-w64. The
# step-response table is generated by the host-built generator of build/.
MINGW_NEEDS = x86_64-w64-mingw32-g++-posix=g++-mingw-w64-x86-64-posix \
              x86_64-w64-mingw32-objdump=binutils-mingw-w64-x86-64 \
              /usr/x86_64-w64-mingw32/include/zlib.h=libz-mingw-w64-dev
WINE_NEEDS  = wine=wine /usr/lib/wine/wine64=wine64
windows:
	scripts/ensure-packages.sh $(MINGW_NEEDS) CLI/CLI.hpp=libcli11-dev zlib.h=zlib1g-dev
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON
	$(CMAKE) --build build -j $(JOBS) --target StepResponseGenerator
	$(CMAKE) -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON -DHALVEX_TESTS=OFF \
	  -DHALVEX_TABLE_GENERATOR=$(CURDIR)/build/model/StepResponseGenerator
	$(CMAKE) --build build-windows -j $(JOBS) --target Halvex_tx_x64 amihost

# The DLL's exports and imports, and amihost check on it under Wine, with the
# output compared bit for bit (by checksum) with the Linux build's.
test-windows: build windows
	scripts/ensure-packages.sh $(WINE_NEEDS)
	scripts/test-windows.sh build-windows build

# The kit's Linux library, built to load on every distribution in use: Zig's
# C++ toolchain (from npm, kept in $(KIT_BUILD)/zig) targets glibc 2.17 and
# links LLVM's C++ library in. The table comes from the generator of build/.
# scripts/test-kit-library.sh checks its glibc floor, its imports and exports,
# and that it gives the main build's output bits.
KIT_BUILD ?= build-kit
kit-linux: build
	scripts/ensure-packages.sh npm=npm objdump=binutils nm=binutils
	scripts/zig-toolchain.sh $(KIT_BUILD)/zig
	$(CMAKE) -S . -B $(KIT_BUILD)/build -DCMAKE_CXX_COMPILER=$(CURDIR)/$(KIT_BUILD)/zig/zig-c++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON -DHALVEX_TESTS=OFF -DHALVEX_TOOLS=OFF \
	  -DHALVEX_TABLE_GENERATOR=$(CURDIR)/build/model/StepResponseGenerator
	$(CMAKE) --build $(KIT_BUILD)/build -j $(JOBS) --target Halvex_tx_x64

# The model kit: the .ibs file, both libraries (stripped), the .ami file, the
# user guide and the licence in one folder; the Linux library is checked as it
# lies there, and the kit as users load it: `amihost check` on its .ibs passes,
# and fails naming the file on a copy without one of its libraries.
KIT_DIR ?= build/kit/Halvex_tx
kit: build windows kit-linux
	rm -rf $(KIT_DIR)
	mkdir -p $(KIT_DIR)
	strip --strip-unneeded -o $(KIT_DIR)/Halvex_tx_x64.so $(KIT_BUILD)/build/ami/Halvex_tx_x64.so
	x86_64-w64-mingw32-strip --strip-unneeded -o $(KIT_DIR)/Halvex_tx_x64.dll \
	  build-windows/ami/Halvex_tx_x64.dll
	cp model/Halvex_tx.ibs model/Halvex_tx.ami $(KIT_DIR)/
	cp docs/kit/README.md $(KIT_DIR)/README.md
	cp LICENSE $(KIT_DIR)/LICENSE
	scripts/test-kit-library.sh $(KIT_DIR)/Halvex_tx_x64.so build
	scripts/test-kit-check.sh $(KIT_DIR) build/tools/amihost/amihost
	@echo "kit: $(KIT_DIR)"; ls -l $(KIT_DIR)

# 100 Init/GetWave/Close cycles of the built model under Valgrind's memcheck:
# any error or leak fails.
MEMCHECK_CYCLES ?= 100
memcheck: build
	scripts/ensure-packages.sh valgrind=valgrind
	valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
	  --errors-for-leak-kinds=all --track-origins=yes \
	  build/tools/amicycles/amicycles build/ami/Halvex_tx_x64.so $(MEMCHECK_CYCLES)

clean:
	rm -rf build build-sanitize build-tsan build-bench build-fuzz build-windows $(KIT_BUILD)
