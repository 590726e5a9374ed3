#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "analysis/Features.h"
#include "support/Analysis.h"
#include "support/Records.h"

namespace wavelet {
namespace {

using testing::EmptyRecord;
using testing::FreshState;

// Hand-made magnitudes stand in for a transform; onset 300, offset 400 give the peak
// window 30..189, the area window 10..189 and a rise search from 15.
class FeaturesOnMagnitudes : public ::testing::Test {
 protected:
  void SetUp() override {
    state = FreshState();
    ClearAnalysisAccumulators(*state);
    record = EmptyRecord(300, 400);
  }
  // A strictly rising ramp has no local maximum inside the window.
  void SetRampAll() {
    for (auto& lead : state->TransformMagnitude)
      for (int p = 0; p < kPositions; ++p) lead[p] = 0.001 * p;
  }
  void Extract(int scale = 0) { ExtractScaleFeatures(*state, *record, scale); }

  std::unique_ptr<AnalysisState> state;
  std::unique_ptr<LoadedRecord> record;
};

TEST_F(FeaturesOnMagnitudes, FlatTopFlagsEveryPositionOfIt) {
  SetRampAll();
  auto& m = state->TransformMagnitude[LeadY];
  m.fill(0.0);
  for (int p = 100; p <= 103; ++p) m[p] = 50.0;
  Extract(2);
  EXPECT_EQ(state->Results.PeakCount[LeadY][2], 4);
  for (int p = 100; p <= 103; ++p) EXPECT_EQ(state->PeakFlags[LeadY][2][p], 1);
  // The zero background passes the non-strict test but falls under the 2 % rule.
  EXPECT_EQ(state->PeakFlags[LeadY][2][50], 0);
  EXPECT_EQ(state->Results.LastPeak[LeadY][2], 103 + 260 - 300);
  EXPECT_EQ(state->Results.PeakCount[LeadX][2], 0);
}

TEST_F(FeaturesOnMagnitudes, TwoPercentOfTheWindowMaximumStays) {
  SetRampAll();
  auto& m = state->TransformMagnitude[LeadM];
  m.fill(0.0);
  m[60] = 100.0;
  m[120] = 0.02 * 100.0;
  m[150] = std::nextafter(0.02 * 100.0, 0.0);
  m[200] = 1e6;  // outside the peak window: neither a maximum nor the reference
  Extract(4);
  EXPECT_EQ(state->PeakFlags[LeadM][4][60], 1);
  EXPECT_EQ(state->PeakFlags[LeadM][4][120], 1);
  EXPECT_EQ(state->PeakFlags[LeadM][4][150], 0);
  EXPECT_EQ(state->Results.PeakCount[LeadM][4], 2);
  // With the last retained maximum at position 120 and onset 300: 80 samples.
  EXPECT_EQ(state->Results.LastPeak[LeadM][4], 80);
}

TEST_F(FeaturesOnMagnitudes, NoMaximumGivesZeroCountAndOnsetLatency) {
  SetRampAll();
  Extract(1);
  for (int k = 0; k < kLeads; ++k) {
    EXPECT_EQ(state->Results.PeakCount[k][1], 0);
    EXPECT_EQ(state->Results.LastPeak[k][1], 260 - 300);
  }
  EXPECT_EQ(state->PeakListCount, 0);
}

TEST_F(FeaturesOnMagnitudes, PeakListInOrderWithTruncatedHeights) {
  SetRampAll();
  state->TransformMagnitude[LeadX].fill(0.0);
  state->TransformMagnitude[LeadX][90] = 79.9;   // 79.9 / 40 -> 1
  state->TransformMagnitude[LeadX][40] = 120.0;  // -> 3
  state->TransformMagnitude[LeadZ].fill(0.0);
  state->TransformMagnitude[LeadZ][70] = 39.99;  // -> 0
  Extract(6);
  const auto& list = state->PeakList;
  ASSERT_EQ(state->PeakListCount, 3);
  EXPECT_EQ(list.PeakListPosition[0], 40);
  EXPECT_EQ(list.PeakListHeight[0], 3);
  EXPECT_EQ(list.PeakListPosition[1], 90);
  EXPECT_EQ(list.PeakListHeight[1], 1);
  EXPECT_EQ(list.PeakListLead[2], LeadZ);
  EXPECT_EQ(list.PeakListHeight[2], 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.PeakListScale[i], 6);
  EXPECT_EQ(list.PeakListLead[3], -1);
}

TEST_F(FeaturesOnMagnitudes, RiseNeedsTenAndFallSearchStartsAt340) {
  auto& m = state->TransformMagnitude[LeadX];
  for (int p = 0; p < kPositions; ++p) m[p] = p < 100 ? 0.0 : 9.99;
  auto& z = state->TransformMagnitude[LeadZ];
  for (int p = 0; p < kPositions; ++p) z[p] = p < 100 ? 0.0 : 10.0;
  // Lead Y: a big fall at 360 (after sample 600) and a smaller one at 200.
  auto& y = state->TransformMagnitude[LeadY];
  for (int p = 0; p < kPositions; ++p) y[p] = p < 200 ? 100.0 : (p < 360 ? 50.0 : 0.0);
  record->QrsOffset = 607;
  Extract(3);
  const auto& r = state->Results;
  EXPECT_EQ(r.RisePosition[LeadX][3], 0);
  EXPECT_EQ(r.RisePosition[LeadZ][3], 95);
  EXPECT_EQ(r.FallPosition[LeadZ][3], 0);
  EXPECT_EQ(r.Fqrs[LeadZ][3], -95);
  EXPECT_EQ(r.FallPosition[LeadY][3], 204);
  EXPECT_EQ(r.Fqrs[LeadY][3], 204);
}

TEST_F(FeaturesOnMagnitudes, RiseSearchStartsTwentyFiveBeforeOnsetAndRunsTo394) {
  auto& m = state->TransformMagnitude[LeadX];
  m.fill(0.0);
  m[14 + 5] = 50.0;  // a rise at 14 lies before the start (15)
  m[399] = 50.0;     // a rise at 394, the last position searched
  Extract(0);
  EXPECT_EQ(state->Results.RisePosition[LeadX][0], 394);
  // A start below 0 becomes 0.
  record->QrsOnset = 100;
  Extract(1);
  EXPECT_EQ(state->Results.RisePosition[LeadX][1], 14);
}

// The mended fault: a search that finds nothing must not keep an earlier record's value.
TEST_F(FeaturesOnMagnitudes, RiseAndFallDoNotInheritEarlierValues) {
  SetRampAll();
  state->Results.RisePosition[LeadM][5] = 77;
  state->Results.FallPosition[LeadM][5] = 300;
  Extract(5);
  EXPECT_EQ(state->Results.RisePosition[LeadM][5], 0);
  EXPECT_EQ(state->Results.FallPosition[LeadM][5], 0);
  EXPECT_EQ(state->Results.Fqrs[LeadM][5], 0);
}

TEST_F(FeaturesOnMagnitudes, AreaSumsFromThirtyBeforeOnsetToFiftyAfterOffset) {
  for (auto& lead : state->TransformMagnitude) lead.fill(1.0);
  state->TransformMagnitude[LeadY][9] = 1000.0;   // just before the window
  state->TransformMagnitude[LeadY][190] = 1000.0;  // the exclusive end
  state->TransformMagnitude[LeadY][10] = 2.5;
  Extract(0);
  EXPECT_EQ(state->Results.ScaleArea[LeadX], 180.0);
  EXPECT_EQ(state->Results.ScaleArea[LeadY], 181.5);
  EXPECT_FALSE(state->WindowsClamped);
}

TEST(FeatureWindows, ClampedToPositionsWhoseNeighboursExist) {
  const FeatureWindows normal = ComputeFeatureWindows(290, 607);
  EXPECT_EQ(normal.PeakFrom, 20);
  EXPECT_EQ(normal.PeakTo, 397);
  EXPECT_EQ(normal.AreaFrom, 0);
  EXPECT_EQ(normal.AreaTo, 397);
  EXPECT_EQ(normal.RiseStart, 5);
  EXPECT_FALSE(normal.Clamped);

  const FeatureWindows early = ComputeFeatureWindows(0, 289);
  EXPECT_EQ(early.PeakFrom, 3);
  EXPECT_EQ(early.PeakTo, 79);
  EXPECT_EQ(early.AreaFrom, 0);
  EXPECT_EQ(early.RiseStart, 0);
  EXPECT_TRUE(early.Clamped);

  const FeatureWindows huge = ComputeFeatureWindows(65535, 65535);
  EXPECT_GE(huge.PeakFrom, huge.PeakTo);
  EXPECT_GE(huge.AreaFrom, huge.AreaTo);
  EXPECT_EQ(huge.RiseStart, 395);  // past the last rise position: no search
  EXPECT_TRUE(huge.Clamped);

  const FeatureWindows backwards = ComputeFeatureWindows(400, 350);
  EXPECT_GE(backwards.PeakFrom, backwards.PeakTo);
  EXPECT_TRUE(backwards.Clamped);

  const FeatureWindows extreme = ComputeFeatureWindows(INT_MIN, INT_MAX);
  EXPECT_EQ(extreme.PeakFrom, 3);
  EXPECT_EQ(extreme.PeakTo, 397);
  EXPECT_EQ(LatencyAfterOnset(0, INT_MIN), INT_MAX);
  EXPECT_EQ(TruncatedHeight(std::numeric_limits<double>::quiet_NaN(), 40.0), 0);
  EXPECT_EQ(TruncatedHeight(std::numeric_limits<double>::infinity(), 40.0), INT_MAX);
}

}  // namespace
}  // namespace wavelet
