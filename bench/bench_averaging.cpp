// Speed of averaging a 5-minute recording of X, Y and Z at 1000 samples/s into a
// record, one thread: the whole averaging, and its beat finding alone.

#include <benchmark/benchmark.h>

#include "acquisition/AveragedRecord.h"
#include "acquisition/BeatDetection.h"
#include "support/SyntheticRecordings.h"

namespace {

using namespace wavelet;

// Premature beats, bursts, wander and hum, so that every step does its full work.
const Recording& FiveMinutes() {
  static const testing::SyntheticRecording recording = [] {
    testing::RecordingRecipe recipe;
    recipe.Seconds = 300.0;
    recipe.PrematureEvery = 9;
    recipe.BurstEvery = 11;
    recipe.WanderUv = 200.0;
    recipe.HumUv = 10.0;
    return testing::MakeRecording(recipe);
  }();
  return recording.Value;
}

void BM_AverageFiveMinutes(benchmark::State& bench) {
  const Recording& recording = FiveMinutes();
  for (auto _ : bench) {
    const AveragingOutcome outcome = AverageRecording(recording, {});
    benchmark::DoNotOptimize(outcome.Record[300]);
  }
}

void BM_FindBeatsFiveMinutes(benchmark::State& bench) {
  const Recording& recording = FiveMinutes();
  for (auto _ : bench) {
    const averaging::UsableLeads leads(recording);
    benchmark::DoNotOptimize(averaging::FindBeats(leads).size());
  }
}

}  // namespace

BENCHMARK(BM_AverageFiveMinutes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindBeatsFiveMinutes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
