#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "analysis/Sweeps.h"
#include "analysis/Transform.h"
#include "support/Analysis.h"
#include "support/Records.h"

namespace wavelet {
namespace {

using testing::EmptyRecord;
using testing::FreshState;

TEST(WaveletHalfWidth, BoundariesBelongToTheWiderWindow) {
  EXPECT_EQ(WaveletHalfWidthFor(3.5), 30);
  EXPECT_EQ(WaveletHalfWidthFor(3.25), 30);
  EXPECT_EQ(WaveletHalfWidthFor(3.0000001), 30);
  EXPECT_EQ(WaveletHalfWidthFor(3.0), 55);
  EXPECT_EQ(WaveletHalfWidthFor(2.0000001), 55);
  EXPECT_EQ(WaveletHalfWidthFor(2.0), 110);
  EXPECT_EQ(WaveletHalfWidthFor(1.5), 110);
}

// A unit impulse reproduces the sampled wavelet, one-sided at the window's ends.
TEST(TransformAtScale, UnitImpulseGivesTheWaveletAndAOneSidedWindow) {
  for (double s : {3.25, 2.25, 1.5}) {
    auto state = FreshState();
    auto record = EmptyRecord();
    const int m0 = 450;
    record->LeadSignals[0][m0] = 1.0;
    TransformAtScale(*state, *record, s, -1);
    const int d = state->WaveletHalfWidth;
    const double a = 40.0 * std::pow(2.0, -s);
    const double g = 1.0 / std::sqrt(a);
    for (int p = 0; p < kPositions; ++p) {
      const int n = p + kFirstTransformSample;
      double re = 0.0;
      double im = 0.0;
      double mag = 0.0;
      if (m0 - d + 1 <= n && n <= m0 + d) {
        const double t = static_cast<double>(m0 - n) / a;
        const double gauss = std::exp((-1.0 * t * t) * 0.5);
        re = (g * std::cos(5.3 * t)) * gauss;
        im = (g * std::sin(5.3 * t)) * gauss;
        mag = g * gauss;
      }
      ASSERT_EQ(state->TransformReal[LeadX][p], re) << "s " << s << " n " << n;
      ASSERT_EQ(state->TransformImag[LeadX][p], im) << "s " << s << " n " << n;
      ASSERT_NEAR(state->TransformMagnitude[LeadX][p], mag, 1e-15);
      ASSERT_EQ(state->TransformMagnitude[LeadM][p], state->TransformMagnitude[LeadX][p]);
      ASSERT_EQ(state->TransformMagnitude[LeadY][p], 0.0);
    }
    EXPECT_EQ(state->TransformMagnitude[LeadX][m0 - 260], g);
    EXPECT_NE(state->TransformReal[LeadX][m0 + d - 260], 0.0);
    EXPECT_EQ(state->TransformReal[LeadX][m0 - d - 260], 0.0);
  }
}

TEST(TransformAtScale, ZeroLeadsGiveZeroAndMIsNeverNegative) {
  auto state = FreshState();
  auto record = testing::NoiseRecord(7, 500.0);
  record->LeadSignals[1].fill(0.0);
  for (double s : {3.5, 3.0, 2.25, 1.5}) {
    TransformAtScale(*state, *record, s, -1);
    for (int p = 0; p < kPositions; ++p) {
      ASSERT_EQ(state->TransformReal[LeadY][p], 0.0);
      ASSERT_EQ(state->TransformImag[LeadY][p], 0.0);
      ASSERT_EQ(state->TransformMagnitude[LeadY][p], 0.0);
      ASSERT_GE(state->TransformReal[LeadM][p], 0.0);
      ASSERT_GE(state->TransformImag[LeadM][p], 0.0);
      ASSERT_GE(state->TransformMagnitude[LeadM][p], 0.0);
    }
  }
  auto zero = EmptyRecord();
  TransformAtScale(*state, *zero, 2.0, -1);
  for (int k = 0; k < kLeads; ++k)
    for (int p = 0; p < kPositions; ++p) ASSERT_EQ(state->TransformMagnitude[k][p], 0.0);
}

TEST(TransformAtScale, ViewScaleIndexLeavesEveryFeatureUntouched) {
  auto state = FreshState();
  auto record = testing::Decoded(MakeSampleRecord(7, 3));
  for (auto& lead : state->PeakFlags)
    for (auto& scale : lead) scale.fill(7);
  state->PeakList.PeakListPosition.fill(11);
  state->PeakListCount = 5;
  state->Results.RisePosition[2][3] = 123;
  state->Results.ScaleArea = {1.0, 2.0, 3.0, 4.0};
  state->Results.PeakCount[3][0] = 9;
  state->WindowsClamped = true;
  auto before = std::make_unique<AnalysisState>(*state);

  TransformAtScale(*state, *record, 2.5, -1);
  EXPECT_EQ(state->PeakFlags, before->PeakFlags);
  EXPECT_EQ(state->PeakList.PeakListPosition, before->PeakList.PeakListPosition);
  EXPECT_EQ(state->PeakListCount, 5);
  EXPECT_EQ(std::memcmp(&state->Results, &before->Results, sizeof(AnalysisResults)), 0);
  EXPECT_TRUE(state->WindowsClamped);
}

// A basic scale's tables are kept for the next record; whatever scale, frequency or
// order a slot meets, the state is what tables computed afresh give.
TEST(TransformAtScale, KeptTablesEqualFreshOnesWhateverTheSlotMet) {
  auto record = testing::Decoded(MakeSampleRecord(3, 4));
  auto kept = FreshState();
  auto fresh = FreshState();
  const std::pair<double, double> calls[] = {{3.25, 5.3}, {1.5, 5.3}, {1.5, 5.3}, {3.25, 6.0}, {2.0, 5.3}};
  for (const auto& [s, frequency] : calls) {
    kept->MorletFrequency = fresh->MorletFrequency = frequency;
    TransformAtScale(*kept, *record, s, 0);
    TransformLeads(*fresh, *record, s, nullptr, CorrelationKernel::Fast);
    ASSERT_EQ(std::memcmp(&kept->WaveletTables, &fresh->WaveletTables, sizeof fresh->WaveletTables), 0) << s;
    ASSERT_EQ(std::memcmp(&kept->TransformMagnitude, &fresh->TransformMagnitude,
                          sizeof fresh->TransformMagnitude), 0) << s;
  }
}

// Every path this machine runs must reproduce the plain loop bit for bit (NaN payloads
// and signed zeros included): correlation, combination and tables alike.
void ExpectPathsAgree(const LoadedRecord& record, double s) {
  auto plain = FreshState();
  TransformAtScale(*plain, record, s, -1, CorrelationKernel::Plain);
  auto other = FreshState();
  for (CorrelationKernel kernel : RunnableCorrelationKernels()) {
    TransformAtScale(*other, record, s, -1, kernel);
    const char* path = CorrelationKernelName(kernel);
    ASSERT_EQ(std::memcmp(&other->TransformReal, &plain->TransformReal, sizeof plain->TransformReal), 0)
        << path << " s " << s;
    ASSERT_EQ(std::memcmp(&other->TransformImag, &plain->TransformImag, sizeof plain->TransformImag), 0)
        << path << " s " << s;
    ASSERT_EQ(std::memcmp(&other->TransformMagnitude, &plain->TransformMagnitude,
                          sizeof plain->TransformMagnitude),
              0)
        << path << " s " << s;
  }
}

// Overflow to infinities and NaNs, subnormals and negative zeros.
std::unique_ptr<LoadedRecord> ExtremeRecord() {
  auto record = EmptyRecord();
  for (int n = 0; n < kSamplesPerLead; ++n) {
    record->LeadSignals[0][n] = n % 2 ? 1e300 : -1e300;
    record->LeadSignals[1][n] = (n % 3 - 1) * std::numeric_limits<double>::denorm_min();
    record->LeadSignals[2][n] = n % 5 ? -0.0 : 7.0;
  }
  return record;
}

TEST(CorrelationKernels, EveryRunnablePathGivesThePlainLoopsDoubles) {
  const auto basic = FreshState()->ScaleTable;
  std::vector<std::unique_ptr<LoadedRecord>> records;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    records.push_back(testing::Decoded(MakeSampleRecord(seed, static_cast<int>(seed))));
    records.push_back(testing::NoiseRecord(seed, seed == 3 ? 1e9 : 3000.0));
  }
  records.push_back(EmptyRecord());
  records.push_back(ExtremeRecord());
  for (const auto& record : records)
    for (double s : basic) ExpectPathsAgree(*record, s);
  // Both sweeps' scales, by the repeated subtraction the views use.
  auto realistic = testing::Decoded(MakeSampleRecord(7, 9));
  for (double step : {kSpectrogramStep, kMapStep})
    for (double b : SweepScales(step)) ExpectPathsAgree(*realistic, b);
}

// Restores the automatic choice when a test ends, even on a failed assertion.
struct FastPathOverride {
  explicit FastPathOverride(CorrelationKernel kernel) { SetFastCorrelationKernel(kernel); }
  ~FastPathOverride() { SetFastCorrelationKernel(CorrelationKernel::Fast); }
};

TEST(CorrelationDispatch, FastRunsTheWidestPathTheProcessorAndSystemSupport) {
  ProcessorFeatures all;
  all.Avx = all.Avx2 = all.Avx512F = all.OsSavesExtendedState = true;
  all.SavedStateMask = 0xE7;  // x87, SSE, AVX, opmask, both ZMM halves
  EXPECT_EQ(WidestCorrelationKernel(all), CorrelationKernel::Avx512);
  ProcessorFeatures noZmmState = all;
  noZmmState.SavedStateMask = 0x07;
  EXPECT_EQ(WidestCorrelationKernel(noZmmState), CorrelationKernel::Avx2);
  ProcessorFeatures noHighZmm = all;
  noHighZmm.SavedStateMask = 0x67;
  EXPECT_EQ(WidestCorrelationKernel(noHighZmm), CorrelationKernel::Avx2);
  ProcessorFeatures noAvx512 = all;
  noAvx512.Avx512F = false;
  EXPECT_EQ(WidestCorrelationKernel(noAvx512), CorrelationKernel::Avx2);
  ProcessorFeatures noYmmState = all;
  noYmmState.SavedStateMask = 0x03;
  EXPECT_EQ(WidestCorrelationKernel(noYmmState), CorrelationKernel::Baseline);
  ProcessorFeatures noOsxsave = all;
  noOsxsave.OsSavesExtendedState = false;
  EXPECT_EQ(WidestCorrelationKernel(noOsxsave), CorrelationKernel::Baseline);

  // This machine, against the compiler's own detection (which checks XCR0 too).
  const CorrelationKernel widest = WidestCorrelationKernel(DetectProcessorFeatures());
#if defined(__x86_64__)
  EXPECT_EQ(widest == CorrelationKernel::Avx512, __builtin_cpu_supports("avx512f") != 0);
  EXPECT_EQ(widest != CorrelationKernel::Baseline, __builtin_cpu_supports("avx2") != 0);
#endif
  EXPECT_EQ(ResolveCorrelationKernel(CorrelationKernel::Fast), widest);
  const auto runnable = RunnableCorrelationKernels();
  EXPECT_EQ(runnable.front(), widest);
  EXPECT_EQ(runnable.back(), CorrelationKernel::Plain);
}

TEST(CorrelationDispatch, RequestedPathsRunWhereTheMachineAllowsThem) {
  const CorrelationKernel widest = ResolveCorrelationKernel(CorrelationKernel::Fast);
  const auto runnable = RunnableCorrelationKernels();
  for (CorrelationKernel kernel :
       {CorrelationKernel::Avx512, CorrelationKernel::Avx2, CorrelationKernel::Avx2EightLanes,
        CorrelationKernel::Baseline, CorrelationKernel::Plain}) {
    const bool runs = std::find(runnable.begin(), runnable.end(), kernel) != runnable.end();
    EXPECT_EQ(ResolveCorrelationKernel(kernel), runs ? kernel : widest)
        << CorrelationKernelName(kernel);
    FastPathOverride fast(kernel);
    EXPECT_EQ(ResolveCorrelationKernel(CorrelationKernel::Fast), runs ? kernel : widest)
        << CorrelationKernelName(kernel);
  }
  EXPECT_EQ(ResolveCorrelationKernel(CorrelationKernel::Fast), widest);
}

}  // namespace
}  // namespace wavelet
