#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

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

// The rules written out literally, every level scanned, as a yardstick for the
// level skipping of the real implementation.
void LiteralRidges(AnalysisState& st, int from, int to, int onset) {
  int maxScore = 0;
  for (int k = 0; k < kLeads; ++k)
    for (int p = from; p < to; ++p)
      for (int s = 0; s < kScales; ++s) {
        if (st.PeakFlags[k][s][p] != 1) continue;
        int score = 0;
        for (int t = 0; t < kScales; ++t)
          for (int j = -3; j <= 3; ++j)
            if (st.PeakFlags[k][t][p + j] >= 1) {
              score += 4 - std::abs(j);
              if (std::abs(k - t) == 1) score += 100;
            }
        maxScore = std::max(maxScore, score);
        st.PeakFlags[k][s][p] = score;
      }
  for (int k = 0; k < kLeads; ++k) {
    auto& f = st.PeakFlags[k];
    for (int level = maxScore; level >= 1; --level) {
      for (int p = from; p < to; ++p) {
        bool found = false;
        for (int t = 0; t < kScales; ++t) found = found || f[t][p] == level;
        if (!found) continue;
        bool member[kScales] = {};
        int sum = 0, count = 0;
        for (int t = 0; t < kScales; ++t)
          for (int j = -3; j <= 3; ++j)
            if (f[t][p + j] > 0 && f[t][p + j] < 1000) {
              f[t][p + j] = 0;
              member[t] = true;
              sum += p + j;
              ++count;
            }
        if (count == 0) continue;
        const int c = sum / count;
        for (int t = 0; t < kScales; ++t)
          if (member[t]) f[t][c] = 1000;
        p = c;
      }
    }
    for (int t = 1; t <= 6; ++t)
      for (int p = from; p < to; ++p)
        if (f[t - 1][p] == 1000 && f[t][p] == 1000 && f[t + 1][p] == 1000) st.RidgeFlags[k][p] = 1;
    int count = 0, first = 0, last = 0;
    for (int p = from; p < to; ++p)
      if (st.RidgeFlags[k][p] == 1) {
        if (first == 0) first = p;
        last = p;
        ++count;
      }
    st.Results.CombinedPeakCount[k] = count;
    st.Results.CombinedFirstPeak[k] = first + 260 - onset;
    st.Results.CombinedLastPeak[k] = last + 260 - onset;
  }
}

TEST_F(RidgesOnFlags, AgreesWithTheLiteralRulesOnRandomFlags) {
  std::mt19937 random(11);
  for (int round = 0; round < 60; ++round) {
    ClearAnalysisAccumulators(*state);
    // From sparse maxima to dense blocks whose scores pass the marker value.
    const double density = round < 20 ? 0.03 : (round < 40 ? 0.2 : 0.7);
    std::bernoulli_distribution flagged(density);
    for (int k = 0; k < kLeads; ++k)
      for (int s = 0; s < kScales; ++s)
        for (int p = 30; p < 190; ++p)
          if (flagged(random)) Flag(k, s, p);
    auto literal = std::make_unique<AnalysisState>(*state);
    FindRidges(*state, *record);
    LiteralRidges(*literal, 30, 190, 300);
    ASSERT_EQ(state->PeakFlags, literal->PeakFlags) << "round " << round;
    ASSERT_EQ(state->RidgeFlags, literal->RidgeFlags) << "round " << round;
    ASSERT_EQ(state->Results.CombinedPeakCount, literal->Results.CombinedPeakCount);
    ASSERT_EQ(state->Results.CombinedFirstPeak, literal->Results.CombinedFirstPeak);
    ASSERT_EQ(state->Results.CombinedLastPeak, literal->Results.CombinedLastPeak);
  }
}

}  // namespace
}  // namespace wavelet
