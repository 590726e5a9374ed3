// Speed of the time-domain late-potential figures of one demo record, one thread.

#include <benchmark/benchmark.h>

#include "analysis/LatePotentials.h"
#include "record/RecordDecoder.h"
#include "record/SampleRecords.h"

namespace {

using namespace wavelet;

void BM_LatePotentialsOfOneRecord(benchmark::State& bench) {
  LoadedRecord record;
  record.RecordBuffer = MakeSampleRecord(1, 0);
  DecodeRecordInto(record);
  for (auto _ : bench) {
    LatePotentialFigures figures = ComputeLatePotentials(record.LeadSignals, kDefaultMicrovoltsPerUnit);
    benchmark::DoNotOptimize(figures);
  }
}
BENCHMARK(BM_LatePotentialsOfOneRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
