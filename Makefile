# Front for the CMake build. Every target configures its own build folder, so
# each works from a fresh clone.

JOBS        ?= $(shell nproc)
CMAKE       ?= cmake
FUZZ_SECONDS ?= 60

.PHONY: all build test test-sanitize test-tsan bench fuzz clean table-report demo

all: build

build:
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON
	$(CMAKE) --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

# AddressSanitizer (with leak checking) and UndefinedBehaviorSanitizer, with
# clang so that both compilers see every line.
test-sanitize:
	$(CMAKE) -S . -B build-sanitize -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON -DHALVEX_SANITIZE=address,undefined
	$(CMAKE) --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The project's main job: build everything, then sweep the transmitter's
# de-emphasis through a lossy line of moderate loss with the amihost tool and
# print the table; the plots land in $(DEMO_OUT). DEMO_BITS is the PRBS length
# per setting: 20000 bits (640,000 samples) each, about 10 s for all 16.
DEMO_BITS ?= 20000
DEMO_LOSS ?= 15
DEMO_OUT  ?= build/demo
demo: build
	build/tools/amihost/amihost sweep build/ami/Halvex_tx_x64.so model/Halvex_tx.ami \
	  --bit-time 78.125e-12 --samples-per-bit 32 --stimulus prbs7 --bits $(DEMO_BITS) \
	  --loss $(DEMO_LOSS) --param de=0:15 --out $(DEMO_OUT)

# The embedded step responses' figures beside their characterisation targets.
table-report: build
	build/model/StepResponseReport

# ThreadSanitizer over the entry-point tests, which drive instances from
# several threads at once.
test-tsan:
	$(CMAKE) -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_WERROR=ON \
	  -DHALVEX_SANITIZE=thread
	$(CMAKE) --build build-tsan -j $(JOBS) --target ami_tests Halvex_tx_x64
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L ami

# Google Benchmark programs (off in the normal build).
bench:
	$(CMAKE) -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DHALVEX_TESTS=OFF -DHALVEX_BENCH=ON
	$(CMAKE) --build build-bench -j $(JOBS) --target halvex_benchmarks
	@set -e; for b in build-bench/bench/*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then echo "== $$b"; "$$b" $(BENCH_ARGS); fi; done

# libFuzzer targets under AddressSanitizer and UndefinedBehaviorSanitizer, each
# run for FUZZ_SECONDS from its seed corpus.
fuzz:
	$(CMAKE) -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DHALVEX_TESTS=OFF -DHALVEX_FUZZ=ON -DHALVEX_SANITIZE=address,undefined
	$(CMAKE) --build build-fuzz -j $(JOBS)
	@set -e; for f in build-fuzz/fuzz/*; do \
	  if [ -f "$$f" ] && [ -x "$$f" ]; then \
	    name=$$(basename "$$f"); work=build-fuzz/corpus-$$name; mkdir -p "$$work"; \
	    seeds=fuzz/corpus/$$name; [ -d "$$seeds" ] || seeds=; \
	    echo "== $$name for $(FUZZ_SECONDS) s"; \
	    "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 "$$work" $$seeds; fi; done

clean:
	rm -rf build build-sanitize build-tsan build-bench build-fuzz
