// Speed of the drawing and of the analysis driver: a full map's pixels, far-off curve
// points, a record change's core work and the two sweeps.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "session/AnalysisDriver.h"
#include "analysis/AnalysisState.h"
#include "record/RecordDecoder.h"
#include "record/RecordEncoder.h"
#include "views/BasicView.h"
#include "views/LeadImages.h"
#include "views/MapView.h"
#include "views/Overlays.h"
#include "views/RawView.h"

namespace wavelet {
namespace {

// A beat with a QRS of a few lobes, a T wave, small late wiggles and noise, in whole
// numbers as decoded records hold.
std::unique_ptr<LoadedRecord> SyntheticRecord() {
  auto record = std::make_unique<LoadedRecord>();
  const int onset = 310, offset = 410;
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 2.0);
  LeadSamples samples{};
  for (int k = 0; k < kRecordedLeads; ++k) {
    const double gain = 800.0 + 300.0 * k;
    for (int n = 0; n < kSamplesPerLead; ++n) {
      const double u = (n - onset) / double(offset - onset);
      double v = gain * std::exp(-std::pow((u - 0.35) / 0.12, 2)) * (k == 1 ? -1.0 : 1.0);
      v -= 0.4 * gain * std::exp(-std::pow((u - 0.6) / 0.08, 2));
      v += 30.0 * std::sin(0.9 * (n - offset)) * std::exp(-std::pow((n - offset - 15) / 12.0, 2));
      v += 200.0 * std::exp(-std::pow((n - offset - 180) / 60.0, 2));
      samples[k][n] = std::round(v + noise(random));
    }
  }
  RecordFields fields;
  fields.PatientName = "BENCH";
  fields.AveragingCount = 200;
  fields.QrsOnset = onset;
  fields.QrsOffset = offset;
  record->RecordBuffer = EncodeRecord(fields, samples);
  DecodeRecordInto(*record);
  return record;
}

std::unique_ptr<AnalysisState> FreshState() {
  auto state = std::make_unique<AnalysisState>();
  InitialiseAnalysisState(*state);
  return state;
}

// The 428,800 pixel writes of a map (134 rows, two bands, four leads), with varied
// magnitudes and phases so every ramp branch is taken.
void BM_MapPixels(benchmark::State& bench) {
  auto state = FreshState();
  auto images = std::make_unique<LeadImages>();
  std::mt19937 random(1);
  std::uniform_real_distribution<double> magnitude(0.0, 40000.0), part(-500.0, 500.0);
  for (int lead = 0; lead < kLeads; ++lead)
    for (int x = 0; x < kPositions; ++x) {
      state->TransformMagnitude[lead][x] = magnitude(random);
      state->TransformReal[lead][x] = part(random);
      state->TransformImag[lead][x] = part(random);
    }
  for (auto _ : bench) {
    for (int row = 0; row < 134; ++row) DrawMapRow(*images, *state, row);
    benchmark::DoNotOptimize(images->ImageW0.Pixels());
  }
  bench.SetItemsProcessed(bench.iterations() * 428800);
}
BENCHMARK(BM_MapPixels)->Unit(benchmark::kMillisecond);

// Eight scales of curves whose every other point lies above the image, just off it
// (arg 0: about 700 pixels) or two million pixels away (arg 1). Both draw the same
// pixels; clipping must keep the far points as cheap as the near ones.
void BM_CurvesFarOff(benchmark::State& bench) {
  auto state = FreshState();
  auto images = std::make_unique<LeadImages>();
  const double high = bench.range(0) != 0 ? 4e7 : 2e4;
  for (int lead = 0; lead < kLeads; ++lead)
    for (int x = 0; x < kPositions; ++x)
      state->TransformMagnitude[lead][x] = x % 2 ? high : 100.0 * (x % 7);
  for (auto _ : bench) {
    for (int a = 0; a < kScales; ++a) DrawScaleCurves(*images, *state, a);
    benchmark::DoNotOptimize(images->ImageW0.Pixels());
  }
}
BENCHMARK(BM_CurvesFarOff)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A record change with auto calculation on, minus the file read and the widgets:
// decode, clear the accumulators, raw view, basic analysis with all its drawing.
void BM_RecordChangeCore(benchmark::State& bench) {
  auto state = FreshState();
  auto record = SyntheticRecord();
  auto images = std::make_unique<LeadImages>();
  InitialiseImages(*images);
  AnalysisDriverHooks hooks;
  for (auto _ : bench) {
    DecodeRecordInto(*record);
    ClearAnalysisAccumulators(*state);
    DrawRawSignal(images->ImageW4, *record, kScrollBar2Initial);
    RunAnalysis(*state, *record, *images, DisplaySettings{}, hooks);
    benchmark::DoNotOptimize(state->Results.Judge1);
  }
}
BENCHMARK(BM_RecordChangeCore)->Unit(benchmark::kMillisecond);

void BM_SweepAnalysis(benchmark::State& bench) {
  auto state = FreshState();
  auto record = SyntheticRecord();
  auto images = std::make_unique<LeadImages>();
  AnalysisDriverHooks hooks;
  state->Display.DisplayMode = static_cast<int>(bench.range(0));
  for (auto _ : bench) {
    RunAnalysis(*state, *record, *images, DisplaySettings{}, hooks);
    benchmark::DoNotOptimize(images->ImageW0.Pixels());
  }
}
BENCHMARK(BM_SweepAnalysis)
    ->ArgName("mode")
    ->Arg(kDisplaySpectrogram)
    ->Arg(kDisplayMap)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wavelet

BENCHMARK_MAIN();
