// Speed of averaging a 5-minute recording of X, Y and Z at 1000 samples/s into a
// record, one thread: read from a WFDB record and averaged, the averaging alone, and
// its beat finding alone.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "acquisition/AveragedRecord.h"
#include "acquisition/BeatDetection.h"
#include "base/LargeBuffers.h"
#include "support/SyntheticRecordings.h"
#include "support/TempDir.h"

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

// The same recording as the recorder would leave it: WFDB format 16 at 0.5 uV per
// step (2000 per mV), frames of X, Y, Z.
class FiveMinuteRecord {
 public:
  FiveMinuteRecord() {
    const Recording& r = FiveMinutes();
    std::string data;
    for (std::size_t i = 0; i < r.Microvolts[0].size(); ++i) {
      for (const auto& lead : r.Microvolts) {
        const auto adu = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(lead[i] * 2.0)));
        data.push_back(static_cast<char>(adu & 0xFF));
        data.push_back(static_cast<char>(adu >> 8));
      }
    }
    directory_.Write("b.dat", data.data(), data.size());
    std::string header = "b 3 1000 " + std::to_string(r.Microvolts[0].size()) + "\n";
    for (const char* label : {"vx", "vy", "vz"}) header += "b.dat 16 2000 16 0 0 0 0 " + std::string(label) + "\n";
    header_ = directory_.Write("b.hea", header.data(), header.size());
  }
  const std::string& Header() const { return header_; }

 private:
  testing::TempDir directory_;
  std::string header_;
};

void BM_ReadAndAverageFiveMinutes(benchmark::State& bench) {
  static const FiveMinuteRecord record;
  for (auto _ : bench) {
    const Loaded<Recording> read = ReadRecording(record.Header());
    const Loaded<AveragedRecord> outcome = AverageRecording(read.Value, {});
    if (!outcome.Ok) {
      bench.SkipWithError((read.ErrorText + outcome.ErrorText).c_str());
      break;
    }
    benchmark::DoNotOptimize(outcome.Value.Record[300]);
  }
}

void BM_AverageFiveMinutes(benchmark::State& bench) {
  const Recording& recording = FiveMinutes();
  for (auto _ : bench) {
    const Loaded<AveragedRecord> outcome = AverageRecording(recording, {});
    benchmark::DoNotOptimize(outcome.Value.Record[300]);
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

BENCHMARK(BM_ReadAndAverageFiveMinutes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AverageFiveMinutes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindBeatsFiveMinutes)->Unit(benchmark::kMillisecond);
// As wavelet-average runs: recording after recording, their buffers kept in the heap.
int main(int argc, char** argv) {
  wavelet::KeepLargeBuffersInTheHeap();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
