#include <gtest/gtest.h>

#include "AnalysisTestSupport.h"
#include "analysis/Ridges.h"

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

TEST_F(RidgesOnFlags, NoMaximaGiveNoRidgeAndOnsetLatencies) {
  FindRidges(*state, *record);
  for (int k = 0; k < kLeads; ++k) {
    EXPECT_EQ(state->Results.CombinedPeakCount[k], 0);
    EXPECT_EQ(state->Results.CombinedFirstPeak[k], -40);
    EXPECT_EQ(state->Results.CombinedLastPeak[k], -40);
  }
}

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

TEST_F(RidgesOnFlags, RidgeNeedsThreeAdjacentScales) {
  for (int s : {0, 1, 3, 4}) Flag(LeadZ, s, 80);  // 0,1 and 3,4: no run of three
  for (int s : {5, 6, 7}) Flag(LeadZ, s, 150);
  Flag(LeadZ, 2, 170);
  Flag(LeadZ, 3, 170);
  Flag(LeadZ, 4, 170);
  FindRidges(*state, *record);
  EXPECT_EQ(state->RidgeFlags[LeadZ][80], 0);
  EXPECT_EQ(state->RidgeFlags[LeadZ][150], 1);
  EXPECT_EQ(state->RidgeFlags[LeadZ][170], 1);
  EXPECT_EQ(state->Results.CombinedPeakCount[LeadZ], 2);
  EXPECT_EQ(state->Results.CombinedFirstPeak[LeadZ], 150 - 40);
  EXPECT_EQ(state->Results.CombinedLastPeak[LeadZ], 170 - 40);
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
  Flag(LeadM, 0, 60);  // group of its own, centre 60 on scale 0
  Flag(LeadM, 1, 120);
  Flag(LeadM, 1, 121);
  Flag(LeadM, 2, 122);  // group around 120..122: centre 121 on scales 1, 2
  Flag(LeadM, 3, 180);
  FindRidges(*state, *record);
  EXPECT_EQ(state->PeakFlags[LeadM][1][121], 1000);
  EXPECT_EQ(state->PeakFlags[LeadM][2][121], 1000);
  EXPECT_EQ(state->RidgeFlags[LeadM][121], 0);
  // A marker of an earlier group on scale 3 at 121, left by hand, completes a ridge.
  auto again = FreshState();
  ClearAnalysisAccumulators(*again);
  again->PeakFlags[LeadM][1][120] = 1;
  again->PeakFlags[LeadM][1][121] = 1;
  again->PeakFlags[LeadM][2][122] = 1;
  again->PeakFlags[LeadM][3][121] = 1000;
  FindRidges(*again, *record);
  EXPECT_EQ(again->RidgeFlags[LeadM][121], 1);
}

// Whole runs of maxima on the bonus scales score far above the marker value, so the
// group step meets levels where only markers match; it must skip them and finish.
TEST_F(RidgesOnFlags, HighScoresWithoutMembersTerminate) {
  for (int k = 0; k < kLeads; ++k)
    for (int s = 0; s < kScales; ++s)
      for (int p = 30; p < 190; ++p) Flag(k, s, p);
  FindRidges(*state, *record);
  for (int k = 0; k < kLeads; ++k) {
    for (int s = 0; s < kScales; ++s)
      for (int p = 0; p < kPositions; ++p) {
        const int v = state->PeakFlags[k][s][p];
        // Scores of 1000 or more are never members, so they stay where they were.
        ASSERT_TRUE(v == 0 || v >= 1000) << k << " " << s << " " << p << " " << v;
      }
    EXPECT_GT(state->Results.CombinedPeakCount[k], 0);
    EXPECT_LE(state->Results.CombinedPeakCount[k], 160);
  }
}

}  // namespace
}  // namespace wavelet
