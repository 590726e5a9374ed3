// Speed of the analysis core on one realistic record, one thread, on each correlation
// path this machine runs.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "analysis/Transform.h"
#include "record/RecordDecoder.h"
#include "record/RecordFormat.h"
#include "record/SampleRecords.h"

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

void BM_TransformAtScale(benchmark::State& bench, CorrelationKernel kernel) {
  Fixture f;
  const double s = ScaleFor(static_cast<int>(bench.range(0)));
  for (auto _ : bench) {
    TransformAtScale(*f.state, *f.record, s, -1, kernel);
    benchmark::DoNotOptimize(f.state->TransformMagnitude[LeadM][200]);
  }
}

// The basic analysis always asks for Fast; the override makes Fast run `kernel`.
void BM_BasicAnalysisOfOneRecord(benchmark::State& bench, CorrelationKernel kernel) {
  Fixture f;
  SetFastCorrelationKernel(kernel);
  for (auto _ : bench) {
    AnalyseRecord(*f.state, *f.record);
    benchmark::DoNotOptimize(f.state->Results.Judge2);
  }
  SetFastCorrelationKernel(CorrelationKernel::Fast);
}

// Demo record P0001, the yardstick of the Python module's analyse() on the same record
// (bench/bench_python.py).
void BM_BasicAnalysisOfSampleRecord(benchmark::State& bench) {
  Fixture f;
  f.record->RecordBuffer = MakeSampleRecord(1, 0);
  DecodeRecordInto(*f.record);
  for (auto _ : bench) {
    AnalyseRecord(*f.state, *f.record);
    benchmark::DoNotOptimize(f.state->Results.Judge2);
  }
}

// The map view's 134 rows, transforms only.
void BM_MapSweepTransforms(benchmark::State& bench, CorrelationKernel kernel) {
  Fixture f;
  for (auto _ : bench) {
    int rows = 0;
    for (double b = 3.5; b > 1.5; b -= 0.015) {
      TransformAtScale(*f.state, *f.record, b, -1, kernel);
      ++rows;
    }
    benchmark::DoNotOptimize(rows);
  }
}

}  // namespace

// Every benchmark runs once per correlation path this machine runs, widest (what the
// program uses) first; the plain loop and the AVX2 rendering of the eight-lane code,
// which only tests use, only per transform.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::AddCustomContext("correlation_path",
                              CorrelationKernelName(ResolveCorrelationKernel(CorrelationKernel::Fast)));
  const std::vector<CorrelationKernel> paths = RunnableCorrelationKernels();
  for (CorrelationKernel kernel : paths) {
    const std::string path = CorrelationKernelName(kernel);
    benchmark::RegisterBenchmark(("BM_TransformAtScale/" + path).c_str(), BM_TransformAtScale, kernel)
        ->Arg(30)->Arg(55)->Arg(110)->Unit(benchmark::kMicrosecond);
  }
  for (CorrelationKernel kernel : paths) {
    if (kernel == CorrelationKernel::Plain || kernel == CorrelationKernel::Avx2EightLanes) continue;
    const std::string path = CorrelationKernelName(kernel);
    benchmark::RegisterBenchmark(("BM_BasicAnalysisOfOneRecord/" + path).c_str(),
                                 BM_BasicAnalysisOfOneRecord, kernel)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_MapSweepTransforms/" + path).c_str(), BM_MapSweepTransforms,
                                 kernel)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("BM_BasicAnalysisOfSampleRecord", BM_BasicAnalysisOfSampleRecord)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
