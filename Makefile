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

bench: build
	@for b in $(BUILD)/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
