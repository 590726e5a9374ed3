#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

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

// The vectorised loops, with and without AVX2, must reproduce the plain one bit for bit.
void ExpectKernelsAgree(const LoadedRecord& record, double s) {
  auto plain = FreshState();
  TransformAtScale(*plain, record, s, -1, CorrelationKernel::Plain);
  for (CorrelationKernel kernel : {CorrelationKernel::Fast, CorrelationKernel::FastBaseline}) {
  auto fast = FreshState();
  TransformAtScale(*fast, record, s, -1, kernel);
  ASSERT_EQ(std::memcmp(&fast->TransformReal, &plain->TransformReal, sizeof fast->TransformReal), 0)
      << "s " << s;
  ASSERT_EQ(std::memcmp(&fast->TransformImag, &plain->TransformImag, sizeof fast->TransformImag), 0)
      << "s " << s;
  ASSERT_EQ(std::memcmp(&fast->TransformMagnitude, &plain->TransformMagnitude,
                        sizeof fast->TransformMagnitude),
            0)
      << "s " << s;
  }
}

TEST(CorrelationKernels, FastAndPlainGiveIdenticalDoubles) {
  const double basic[] = {3.25, 3.0, 2.75, 2.5, 2.25, 2.0, 1.75, 1.5};
  for (unsigned seed = 1; seed <= 3; ++seed) {
    auto realistic = testing::Decoded(MakeSampleRecord(seed, static_cast<int>(seed)));
    auto noise = testing::NoiseRecord(seed, seed == 3 ? 1e9 : 3000.0);
    for (double s : basic) {
      ExpectKernelsAgree(*realistic, s);
      ExpectKernelsAgree(*noise, s);
    }
  }
  // The map sweep's scales, by the same repeated subtraction the views use.
  auto realistic = testing::Decoded(MakeSampleRecord(7, 9));
  for (double b = 3.5; b > 1.5; b -= 0.015) ExpectKernelsAgree(*realistic, b);
}

}  // namespace
}  // namespace wavelet
