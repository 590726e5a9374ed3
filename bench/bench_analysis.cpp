// Speed of the analysis core on one realistic record, one thread.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "analysis/Transform.h"
#include "record/RecordFormat.h"

namespace {

using namespace wavelet;

std::unique_ptr<LoadedRecord> BeatRecord() {
  auto record = std::make_unique<LoadedRecord>();
  record->QrsOnset = 310;
  record->QrsOffset = 410;
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0.0, 2.0);
  for (int k = 0; k < kRecordedLeads; ++k) {
    for (int n = 0; n < kSamplesPerLead; ++n) {
      const double u = (n - 310) / 100.0;
      double v = (900.0 + 300.0 * k) * std::exp(-std::pow((u - 0.35) / 0.12, 2));
      v -= 400.0 * std::exp(-std::pow((u - 0.6) / 0.08, 2));
      v += 30.0 * std::sin(0.9 * (n - 410)) * std::exp(-std::pow((n - 425) / 12.0, 2));
      record->LeadSignals[k][n] = std::round(v + noise(random));
    }
  }
  return record;
}

struct Fixture {
  std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
  std::unique_ptr<LoadedRecord> record = BeatRecord();
  Fixture() { InitialiseAnalysisState(*state); }
};

// Arg: half-width d; the scale is one of the basic scales with that window.
double ScaleFor(int d) { return d == 30 ? 3.25 : (d == 55 ? 2.25 : 1.5); }

void BM_TransformAtScale(benchmark::State& bench) {
  Fixture f;
  const double s = ScaleFor(static_cast<int>(bench.range(0)));
  for (auto _ : bench) {
    TransformAtScale(*f.state, *f.record, s, -1);
    benchmark::DoNotOptimize(f.state->TransformMagnitude[LeadM][200]);
  }
}
BENCHMARK(BM_TransformAtScale)->Arg(30)->Arg(55)->Arg(110)->Unit(benchmark::kMicrosecond);

void BM_TransformAtScalePlainLoop(benchmark::State& bench) {
  Fixture f;
  const double s = ScaleFor(static_cast<int>(bench.range(0)));
  for (auto _ : bench) {
    TransformAtScale(*f.state, *f.record, s, -1, CorrelationKernel::Plain);
    benchmark::DoNotOptimize(f.state->TransformMagnitude[LeadM][200]);
  }
}
BENCHMARK(BM_TransformAtScalePlainLoop)->Arg(30)->Arg(55)->Arg(110)->Unit(benchmark::kMicrosecond);

void BM_BasicAnalysisOfOneRecord(benchmark::State& bench) {
  Fixture f;
  for (auto _ : bench) {
    AnalyseRecord(*f.state, *f.record);
    benchmark::DoNotOptimize(f.state->Results.Judge2);
  }
}
BENCHMARK(BM_BasicAnalysisOfOneRecord)->Unit(benchmark::kMicrosecond);

// The map view's 134 rows, transforms only.
void BM_MapSweepTransforms(benchmark::State& bench) {
  Fixture f;
  for (auto _ : bench) {
    int rows = 0;
    for (double b = 3.5; b > 1.5; b -= 0.015) {
      TransformAtScale(*f.state, *f.record, b, -1);
      ++rows;
    }
    benchmark::DoNotOptimize(rows);
  }
}
BENCHMARK(BM_MapSweepTransforms)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
