# The two set-up commands of the README: `make run` and `make test`.
# Make's own "Entering/Leaving directory" lines say nothing here, in the tool's make
# or in the build's.
MAKEFLAGS += --no-print-directory
BUILD   ?= build
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
# `make run` starts the window in a folder of its own whose one subfolder holds the
# demo records, so the directory chooser lists them on the first double-click.
RUN_DIR := $(BUILD)/run
SAMPLES := $(RUN_DIR)/samples

.PHONY: deps configure build tools window samples run run-display test bench

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Every program, not the tests: the window and the recording reader its import runs,
# the tools of the README's examples with the page helper of their reports and the
# cohort's picture helper, and the sample generator.
PROGRAMS := wavelet wavelet-read-recording wavelet-batch wavelet-average wavelet-report-pages \
  wavelet-cohort wavelet-cohort-pictures make-sample-records
tools: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(PROGRAMS)

window: tools

samples: tools
	@test -d $(SAMPLES) || $(BUILD)/make-sample-records $(SAMPLES)

run-display:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "make run: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2; \
	  echo "  On a machine without a screen, run it on a virtual one:" >&2; \
	  echo "    xvfb-run -s '-screen 0 1280x1024x24' make run" >&2; \
	  exit 1; \
	fi

# Packages first (the display hint needs xvfb), then the display check, then the build.
run: deps run-display samples
	cd $(RUN_DIR) && ../wavelet

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
ifeq ($(CI),true)
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=60 FUZZ_KERNEL_SECONDS=30 FUZZ_WFDB_SECONDS=30 \
	  FUZZ_AVERAGING_SECONDS=30
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
# report, CSV); fuzz_kernels compares every correlation path with the plain loop;
# fuzz_wfdb reads WFDB records made of any header and any data; fuzz_averaging
# averages any signals into a record.
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_KERNEL_SECONDS ?= $(FUZZ_SECONDS)
FUZZ_WFDB_SECONDS ?= $(FUZZ_SECONDS)
FUZZ_AVERAGING_SECONDS ?= $(FUZZ_SECONDS)
.PHONY: fuzz fuzz-build fuzz-record fuzz-kernels fuzz-wfdb fuzz-averaging
fuzz: fuzz-record fuzz-kernels fuzz-wfdb fuzz-averaging

fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DWAVELET_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_record fuzz_kernels fuzz_wfdb \
	  fuzz_averaging

fuzz-record: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/fuzz_record -max_total_time=$(FUZZ_SECONDS) -max_len=5400 -timeout=10 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus fuzz/corpus

fuzz-kernels: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/corpus-kernels
	$(FUZZ_BUILD)/fuzz_kernels -max_total_time=$(FUZZ_KERNEL_SECONDS) -max_len=4096 -timeout=10 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/kernels- $(FUZZ_BUILD)/corpus-kernels fuzz/corpus-kernels

fuzz-wfdb: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/corpus-wfdb
	$(FUZZ_BUILD)/fuzz_wfdb -max_total_time=$(FUZZ_WFDB_SECONDS) -max_len=8192 -timeout=10 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/wfdb- $(FUZZ_BUILD)/corpus-wfdb fuzz/corpus-wfdb

fuzz-averaging: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/corpus-averaging
	$(FUZZ_BUILD)/fuzz_averaging -max_total_time=$(FUZZ_AVERAGING_SECONDS) -timeout=20 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/averaging- $(FUZZ_BUILD)/corpus-averaging \
	  fuzz/corpus-averaging

# Installation under PREFIX (DESTDIR is honoured) and the Debian package
# $(BUILD)/wavelet_<version>_<arch>.deb; scripts/check-package.sh checks the package.
PREFIX ?= /usr/local
.PHONY: install package
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cmake --build $(BUILD) --target package
