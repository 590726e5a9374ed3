#include <gtest/gtest.h>

#include <random>

#include "analysis/Ridges.h"
#include "support/Analysis.h"
#include "support/Records.h"

namespace wavelet {
namespace {

using testing::EmptyRecord;
using testing::FreshState;

// Onset 300 and offset 400: the peak window is positions 30..189.
class RidgesOnFlags : public ::testing::Test {
 protected:
  void SetUp() override {
    state = FreshState();
    ClearAnalysisAccumulators(*state);
    record = EmptyRecord(300, 400);
  }
  void Flag(int lead, int scale, int p) { state->PeakFlags[lead][scale][p] = 1; }

  std::unique_ptr<AnalysisState> state;
  std::unique_ptr<LoadedRecord> record;
};

// A group's centre is the truncated mean of its members, not the position it was
// formed around, and marks every scale that had a member.
TEST_F(RidgesOnFlags, RidgeLiesAtTheGroupCentre) {
  Flag(LeadX, 2, 99);
  Flag(LeadX, 3, 99);
  Flag(LeadX, 4, 102);
  FindRidges(*state, *record);
  const auto& f = state->PeakFlags[LeadX];
  EXPECT_EQ(f[2][100], 1000);
  EXPECT_EQ(f[3][100], 1000);
  EXPECT_EQ(f[4][100], 1000);
  EXPECT_EQ(f[2][99], 0);
  EXPECT_EQ(f[4][102], 0);
  EXPECT_EQ(state->RidgeFlags[LeadX][100], 1);
  EXPECT_EQ(state->RidgeFlags[LeadX][99], 0);
  EXPECT_EQ(state->Results.CombinedPeakCount[LeadX], 1);
  EXPECT_EQ(state->Results.CombinedFirstPeak[LeadX], 60);
  EXPECT_EQ(state->Results.CombinedLastPeak[LeadX], 60);
}

// Which maximum groups first decides the centres. A neighbour on a bonus scale (one
// away from the LEAD index: X -> 1, Y -> 0 and 2, Z -> 1 and 3, M -> 2 and 4) lifts
// the score of the maximum at 100 above the one at 103; without it the one at 103,
// with more neighbours, wins.
void PlaceCompetingGroups(AnalysisState& state, int lead, int firstNeighbourScale) {
  auto& f = state.PeakFlags[lead];
  f[firstNeighbourScale][97] = 1;
  f[5][100] = 1;
  f[5][103] = 1;
  f[6][106] = 1;
  f[7][105] = 1;
}

TEST_F(RidgesOnFlags, BonusFollowsTheLeadIndexNotTheScaleOfTheMaximum) {
  PlaceCompetingGroups(*state, LeadX, 1);  // bonus for X
  PlaceCompetingGroups(*state, LeadY, 1);  // none for Y
  PlaceCompetingGroups(*state, LeadZ, 4);  // none for Z
  PlaceCompetingGroups(*state, LeadM, 4);  // bonus for M
  FindRidges(*state, *record);
  for (int k : {LeadX, LeadM}) {
    const auto& f = state->PeakFlags[k];
    EXPECT_EQ(f[5][100], 1000) << k;
    EXPECT_EQ(f[6][105], 1000) << k;
    EXPECT_EQ(f[7][105], 1000) << k;
  }
  for (int k : {LeadY, LeadZ}) {
    const auto& f = state->PeakFlags[k];
    EXPECT_EQ(f[5][104], 1000) << k;
    EXPECT_EQ(f[6][104], 1000) << k;
    EXPECT_EQ(f[7][104], 1000) << k;
    EXPECT_EQ(f[5][98], 1000) << k;
  }
  // Scales 5, 6 and 7 meet at 104 only where the group formed around 105 took all three.
  EXPECT_EQ(state->RidgeFlags[LeadY][104], 1);
  EXPECT_EQ(state->RidgeFlags[LeadX][105], 0);
  EXPECT_EQ(state->Results.CombinedPeakCount[LeadX], 0);
  EXPECT_EQ(state->Results.CombinedPeakCount[LeadZ], 1);
}

// A group marks only the scales that had members; the ridge test looks at markers
// alone, whichever group left them.
TEST_F(RidgesOnFlags, RidgeNeedsMarkersOnThreeScalesWhoeverLeftThem) {
  Flag(LeadM, 1, 120);
  Flag(LeadM, 1, 121);
  Flag(LeadM, 2, 122);  // one group: centre 121 on scales 1 and 2 only
  state->PeakFlags[LeadM][3][121] = 1000;  // a marker not made by that group
  FindRidges(*state, *record);
  EXPECT_EQ(state->PeakFlags[LeadM][1][121], 1000);
  EXPECT_EQ(state->RidgeFlags[LeadM][121], 1);
  EXPECT_EQ(state->Results.CombinedPeakCount[LeadM], 1);
  EXPECT_EQ(state->Results.CombinedFirstPeak[LeadX], 260 - 300);  // no ridge in X
}

// The level-skipping grouping must form exactly the groups of the full scan.
TEST_F(RidgesOnFlags, FastGroupingMatchesTheFullScanOnRandomFlags) {
  std::mt19937 random(11);
  for (int round = 0; round < 60; ++round) {
    ClearAnalysisAccumulators(*state);
    // From sparse maxima to dense blocks whose scores pass the marker value, where
    // group steps without members must be skipped and the scan still ends.
    const double density = round < 20 ? 0.03 : (round < 40 ? 0.2 : 0.7);
    std::bernoulli_distribution flagged(density);
    for (int k = 0; k < kLeads; ++k)
      for (int s = 0; s < kScales; ++s)
        for (int p = 30; p < 190; ++p)
          if (flagged(random)) Flag(k, s, p);
    auto literal = std::make_unique<AnalysisState>(*state);
    FindRidges(*state, *record, RidgeGrouping::Fast);
    FindRidges(*literal, *record, RidgeGrouping::Plain);
    ASSERT_EQ(state->PeakFlags, literal->PeakFlags) << "round " << round;
    ASSERT_EQ(state->RidgeFlags, literal->RidgeFlags) << "round " << round;
    ASSERT_EQ(state->Results.CombinedPeakCount, literal->Results.CombinedPeakCount);
    ASSERT_EQ(state->Results.CombinedFirstPeak, literal->Results.CombinedFirstPeak);
    ASSERT_EQ(state->Results.CombinedLastPeak, literal->Results.CombinedLastPeak);
  }
}

}  // namespace
}  // namespace wavelet
