# The two set-up commands of the README: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
SAMPLES := $(BUILD)/samples

.PHONY: deps configure build samples run test bench

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

samples: build
	@test -d $(SAMPLES) || $(BUILD)/make-sample-records $(SAMPLES)

run: samples
	cd $(SAMPLES) && ../wavelet

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
ifeq ($(CI),true)
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=60 FUZZ_KERNEL_SECONDS=30
	@$(MAKE) --no-print-directory test-sanitize
endif

bench: build
	@for b in $(BUILD)/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
SAN_BUILD := build-sanitize
.PHONY: test-sanitize
test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWAVELET_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer: fuzz_record over the whole Qt-free path (decode, analysis, every drawing,
# report, CSV); fuzz_kernels compares every correlation path with the plain loop.
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_KERNEL_SECONDS ?= $(FUZZ_SECONDS)
.PHONY: fuzz fuzz-build fuzz-record fuzz-kernels
fuzz: fuzz-record fuzz-kernels

fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DWAVELET_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_record fuzz_kernels

fuzz-record: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/fuzz_record -max_total_time=$(FUZZ_SECONDS) -max_len=5400 -timeout=10 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus fuzz/corpus

fuzz-kernels: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/corpus-kernels
	$(FUZZ_BUILD)/fuzz_kernels -max_total_time=$(FUZZ_KERNEL_SECONDS) -max_len=4096 -timeout=10 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/kernels- $(FUZZ_BUILD)/corpus-kernels fuzz/corpus-kernels
